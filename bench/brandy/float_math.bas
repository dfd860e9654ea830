OUTFILE$="summe.txt"
i% = 0 : x = 0
WHILE i% < 2000000
  i% = i% + 1
  x = x + i% * 0.5 - x / 3.0
ENDWHILE
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(INT(x * 100)) : CLOSE#F%
