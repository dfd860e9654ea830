i = 0
s = 0
while i < 3000000:
    i = i + 1
    if i % 3 == 0:
        s = s + i % 7
    else:
        s = s - 1
print("summe", s)
