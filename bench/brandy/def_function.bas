OUTFILE$="summe.txt"
i% = 0 : s% = 0
WHILE i% < 1000000
  i% = i% + 1
  s% = FNpoly(s%, i%) + 1
ENDWHILE
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(s%) : CLOSE#F%
END
DEF FNpoly(a%, b%) = (a% * 3 + b%) MOD 1000003
