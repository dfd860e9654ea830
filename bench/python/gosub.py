# The nearest Python has to GOSUB: a call without arguments on global state.
i = 0
s = 0
def unter():
    global s
    s = s + i % 5
while i < 1000000:
    i = i + 1
    unter()
print("summe", s)
