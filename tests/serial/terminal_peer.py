#!/usr/bin/env python3
"""The far end of the terminal example's test: answers every line that arrives with
"ECHO " and the line in capitals (two lines for one with "zwei"), keeps what arrived in a
file, and stops after an idle pause."""
import os
import select
import sys
import tty

port, received = sys.argv[1], sys.argv[2]
fd = os.open(port, os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
data = b""
pending = b""
while True:
    ready, _, _ = select.select([fd], [], [], 40)
    if not ready:
        break
    chunk = os.read(fd, 256)
    if not chunk:
        break
    data += chunk
    pending += chunk
    while b"\r\n" in pending:
        line, pending = pending.split(b"\r\n", 1)
        answer = b"ECHO " + line.upper() + b"\r\n"
        if b"zwei" in line:
            answer += b"NOCH EINE\r\n"
        os.write(fd, answer)
    with open(received, "wb") as out:
        out.write(data)
os.close(fd)
