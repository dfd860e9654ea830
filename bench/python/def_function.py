def poly(a, b):
    return (a * 3 + b) % 1000003
i = 0
s = 0
while i < 1000000:
    i = i + 1
    s = poly(s, i) + 1
print("summe", s)
