def fib(n):
    if n < 2:
        return n
    a = fib(n - 1)
    return a + fib(n - 2)
print("summe", fib(25))
