OUTFILE$="summe.txt"
i% = 0 : k% = 0 : n% = 0 : s$ = ""
WHILE i% < 1000000
  i% = i% + 1
  s$ = s$ + "ab"
  k% = k% + 1
  IF k% = 100 THEN k% = 0 : s$ = ""
  IF s$ = "abababab" THEN n% = n% + 1
ENDWHILE
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(n%) : CLOSE#F%
