i% = 0 : s% = 0
WHILE i% < 100000
  i% = i% + 1
  PROCunter
ENDWHILE
PRINT "summe "; s%
END
DEF PROCunter
  s% = s% + i% MOD 5
ENDPROC
