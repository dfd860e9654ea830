m = [[[0] * 20 for _ in range(20)] for _ in range(20)]
s = 0
for r in range(1, 51):
    for i in range(20):
        for j in range(20):
            for k in range(20):
                m[i][j][k] = i * j + k + r
    for i in range(20):
        for j in range(20):
            for k in range(20):
                s = s + m[i][j][k]
print("summe", s)
