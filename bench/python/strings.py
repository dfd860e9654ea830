i = 0
k = 0
n = 0
s = ""
while i < 1000000:
    i = i + 1
    s = s + "ab"
    k = k + 1
    if k == 100:
        k = 0
        s = ""
    if s == "abababab":
        n = n + 1
print("summe", n)
