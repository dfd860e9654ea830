OUTFILE$="summe.txt"
DIM m%(19, 19, 19)
s% = 0
FOR r% = 1 TO 50
  FOR i% = 0 TO 19 : FOR j% = 0 TO 19 : FOR k% = 0 TO 19
    m%(i%, j%, k%) = i% * j% + k% + r%
  NEXT k% : NEXT j% : NEXT i%
  FOR i% = 0 TO 19 : FOR j% = 0 TO 19 : FOR k% = 0 TO 19
    s% = s% + m%(i%, j%, k%)
  NEXT k% : NEXT j% : NEXT i%
NEXT r%
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(s%) : CLOSE#F%
