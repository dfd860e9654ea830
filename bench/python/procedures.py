def addiere(a, b):
    return a + b
i = 0
s = 0
while i < 1000000:
    i = i + 1
    s = addiere(s, i) % 10000003
print("summe", s)
