OUTFILE$="summe.txt"
REM BBC BASIC has no UPPER$: FNupper does its work, one character at a time.
i% = 0 : n% = 0 : s$ = "alpha,beta,gamma,delta"
WHILE i% < 300000
  i% = i% + 1
  t$ = MID$(s$, i% MOD 20 + 1, 3)
  k% = i% MOD 10
  t$ = FNupper(t$) + STR$(k%)
  n% = n% + LEN(t$) + INSTR(t$, "A")
ENDWHILE
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(n%) : CLOSE#F%
END
DEF FNupper(a$)
LOCAL r$, j%, c%
FOR j% = 1 TO LEN(a$)
  c% = ASC(MID$(a$, j%, 1))
  IF c% >= 97 AND c% <= 122 THEN c% = c% - 32
  r$ = r$ + CHR$(c%)
NEXT
= r$
