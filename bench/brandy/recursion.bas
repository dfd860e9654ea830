OUTFILE$="summe.txt"
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(FNfib(25)) : CLOSE#F%
END
DEF FNfib(n%)
LOCAL a%
IF n% < 2 THEN = n%
a% = FNfib(n% - 1)
= a% + FNfib(n% - 2)
