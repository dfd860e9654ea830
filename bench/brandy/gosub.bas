OUTFILE$="summe.txt"
i% = 0 : s% = 0
WHILE i% < 1000000
  i% = i% + 1
  PROCunter
ENDWHILE
F%=OPENOUT(OUTFILE$) : BPUT#F%,"summe "+STR$(s%) : CLOSE#F%
END
DEF PROCunter
  s% = s% + i% MOD 5
ENDPROC
