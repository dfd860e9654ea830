# Byte file: 1 MB written one byte at a time, then read back one byte at a time.
import os

with open("bytefile.bin", "wb") as f:
    i = 0
    while i < 1048576:
        f.write(bytes((i % 251,)))
        i = i + 1
s = 0
with open("bytefile.bin", "rb") as f:
    i = 0
    while i < 1048576:
        s = s + f.read(1)[0]
        i = i + 1
os.remove("bytefile.bin")
print("summe", s)
