i = 0
x = 0.0
while i < 2000000:
    i = i + 1
    x = x + i * 0.5 - x / 3.0
print("summe", int(x * 100))
