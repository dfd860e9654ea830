OUTFILE$="summe.txt"
i% = 0 : s% = 0
WHILE i% < 3000000
  i% = i% + 1
  IF i% MOD 3 = 0 THEN
    s% = s% + i% MOD 7
  ELSE
    s% = s% - 1
  ENDIF
ENDWHILE
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(s%) : CLOSE#F%
