OUTFILE$="summe.txt"
F%=OPENOUT("bytefile.bin")
FOR i% = 0 TO 1048575
  BPUT#F%, i% MOD 251
NEXT
CLOSE#F%
s% = 0
F%=OPENIN("bytefile.bin")
FOR i% = 0 TO 1048575
  s% = s% + BGET#F%
NEXT
CLOSE#F%
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(s%) : CLOSE#F%
