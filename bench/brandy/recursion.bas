PRINT "summe "; FNfib(20)
END
DEF FNfib(n%)
LOCAL a%
IF n% < 2 THEN = n%
a% = FNfib(n% - 1)
= a% + FNfib(n% - 2)
