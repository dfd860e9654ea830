i = 0
n = 0
s = "alpha,beta,gamma,delta"
while i < 300000:
    i = i + 1
    t = s[i % 20:i % 20 + 3]
    k = i % 10
    t = t.upper() + str(k)
    n = n + len(t) + t.find("A") + 1
print("summe", n)
