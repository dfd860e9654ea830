i% = 0 : s% = 0
WHILE i% < 300000
  i% = i% + 1
  IF i% MOD 3 = 0 THEN
    s% = s% + i% MOD 7
  ELSE
    s% = s% - 1
  ENDIF
ENDWHILE
PRINT "summe "; s%
