i% = 0 : x = 0
WHILE i% < 200000
  i% = i% + 1
  x = x + i% * 0.5 - x / 3.0
ENDWHILE
PRINT "summe "; INT(x * 1000)
