OUTFILE$="summe.txt"
i% = 0 : s% = 0
WHILE i% < 1000000
  i% = i% + 1
  s% = FNaddiere(s%, i%) MOD 10000003
ENDWHILE
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(s%) : CLOSE#F%
END
DEF FNaddiere(a%, b%) = a% + b%
