#!/usr/bin/env python3
"""The far end of the serial test: reads one line from the pseudo-terminal, keeps it in a
file for the comparison, and answers with a text that holds a NUL byte."""
import os
import sys
import termios
import tty

port, received = sys.argv[1], sys.argv[2]
fd = os.open(port, os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
data = b""
while not data.endswith(b"\r\n"):
    chunk = os.read(fd, 256)
    if not chunk:
        break
    data += chunk
with open(received, "wb") as out:
    out.write(data)
os.write(fd, b"ANTWORT\x0042\r\n")
termios.tcdrain(fd)
os.close(fd)
