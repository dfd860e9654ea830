i% = 0 : s% = 0
WHILE i% < 100000
  i% = i% + 1
  s% = FNaddiere(s%, i%) MOD 1000003
ENDWHILE
PRINT "summe "; s%
END
DEF FNaddiere(a%, b%) = a% + b%
