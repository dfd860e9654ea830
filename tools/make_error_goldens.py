#!/usr/bin/env python3
"""Writes the golden programs that raise one numbered error each (tests/golden/err_*.tvs).

A case is its description, its program lines and the box it must end with. The line
marked with a trailing "' <" is the one whose display line is the caption; the marker is
a comment, which the loader cuts. Files are written in code page 1252.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, '..', 'tests', 'golden')

STOP = 'stop ok'
WARN = 'exclamation okcancel'

def loop(times, body):
    return ['DECLARE zz%', 'WHILE zz%% < %d' % times] + body + ['INC zz%', 'WEND']

CASES = [
    # name, description, lines, icon, text, extra expectations (answers), exit
    ('err_100_system_variable', 'A system variable this build does not know.',
     ['DECLARE a%', 'a% = %MAXX \' <'], STOP, 'Systemvariable unbekannt: %MAXX'),
    ('err_101_function', 'A function this build does not know, with "@" and with brackets only.',
     ['DECLARE a%', 'a% = 1 + frob(2) \' <'], STOP, 'Funktion unbekannt: FROB'),
    ('err_102_proc_below', 'A procedure defined below its first call is not found.',
     ['oben 1 \' <', 'PROC oben', 'ENDPROC'], STOP, 'Befehl unbekannt: OBEN'),
    ('err_103_integer_expected', 'INC, DEC, ADD and SUB take integer variables only.',
     ['DECLARE a&', 'ADD a&, 2 \' <'], STOP, 'Integer-Variable erwartet!'),
    ('err_106_if', 'An IF whose condition is 0 and that has no ENDIF.',
     ['IF 0 \' <', 'REM'], STOP, 'ENDIF bzw. ELSE nicht gefunden!'),
    ('err_107_ifnot', 'An IFNOT whose condition is not 0 and that has no ENDIF.',
     ['IFNOT 1 \' <', 'IF 1', 'ENDIF', 'REM'], STOP, 'ENDIF nicht gefunden!'),
    ('err_107_else', 'An ELSE reached by running the branch before it, without an ENDIF.',
     ['IF 1', 'REM', 'ELSE \' <', 'REM'], STOP, 'ENDIF nicht gefunden!'),
    ('err_108_while', 'Eleven nested WHILE loops: the eleventh is one too many.',
     ['WHILE 1'] * 10 + ['WHILE 1 \' <'], STOP, 'Zu tiefe WHILE-Verschachtelung!'),
    ('err_108_goto_out', 'A GOTO out of a loop leaves its entry: after ten such loops an eleventh is too deep.',
     ['DECLARE n%', 'nochmal:', 'INC n%', 'CASE n% = 11: GOTO "zuletzt"', 'WHILE 1', 'GOTO "nochmal"', 'WEND',
      'zuletzt:', 'WHILE 1 \' <'], STOP, 'Zu tiefe WHILE-Verschachtelung!'),
    ('err_101_keyword_bracket', 'A keyword written directly before "(" is a bracketed call.',
     ['IF(1) \' <', 'ENDIF'], STOP, 'Funktion unbekannt: IF'),
    ('err_109_while', 'A WHILE whose condition is 0 and that has no WEND.',
     ['WHILE 0 \' <', 'REM'], STOP, 'ENDWHILE bzw. WEND nicht gefunden!'),
    ('err_109_break', 'BREAK in a loop without WEND.',
     ['WHILE 1', 'BREAK \' <'], STOP, 'ENDWHILE bzw. WEND nicht gefunden!'),
    ('err_110_wend', 'WEND without a loop.',
     ['WEND \' <'], STOP, 'WHILE oder WHILENOT fehlt!'),
    ('err_110_continue', 'CONTINUE without a loop.',
     ['CONTINUE \' <'], STOP, 'WHILE oder WHILENOT fehlt!'),
    ('err_110_break', 'BREAK without a loop.',
     ['BREAK \' <'], STOP, 'WHILE oder WHILENOT fehlt!'),
    ('err_111_return', 'RETURN without GOSUB or procedure.',
     ['RETURN 5 \' <'], STOP, 'GOSUB/PROC fehlt!'),
    ('err_112_endproc', 'ENDPROC without a procedure call.',
     ['ENDPROC \' <'], STOP, 'PROC fehlt!'),
    ('err_113_label', 'GOTO a label that no line begins with; the detail is the upper-cased label.',
     ['GOTO "nir" + "gends" \' <', 'nirgend:'], STOP, 'Label nicht gefunden: NIRGENDS:'),
    ('err_114_gosub', 'Fifty nested GOSUB calls are allowed in the interpreter, the 51st is not.',
     ['DECLARE n%', 'GOSUB "tiefer"', 'tiefer:', 'INC n%', 'CASE n% = 51: unbekannt', 'GOSUB "tiefer" \' <'],
     STOP, 'Zu tiefe GOSUB/PROC-Verschachtelung!'),
    ('err_114_proc', 'Procedures nest 150 deep; the 151st call is one too many.',
     ['DECLARE n%', 'PROC tiefer', 'INC n%', 'CASE n% > 150: unbekannt', 'tiefer \' <', 'ENDPROC', 'tiefer'],
     STOP, 'Zu tiefe GOSUB/PROC-Verschachtelung!'),
    ('err_115_proc', 'A PROC run into that has no ENDPROC.',
     ['PROC offen \' <', 'REM'], STOP, 'ENDPROC nicht gefunden!'),
    ('err_116_dim_integer', 'DIM% may be used once.',
     ['DIM% 3', 'DIM% 4 \' <'], STOP, '"DIM%" darf nur einmal verwandt werden!'),
    ('err_117_dim_long', 'DIM& may be used once.',
     ['DIM& 3', 'DIM& 4 \' <'], STOP, '"DIM&" darf nur einmal verwandt werden!'),
    ('err_118_dim_string', 'DIM$ may be used once.',
     ['DIM$ 3', 'DIM$ 4 \' <'], STOP, '"DIM$" darf nur einmal verwandt werden!'),
    ('err_119_dim_float', 'DIM! may be used once.',
     ['DIM! 3', 'DIM! 4 \' <'], STOP, '"DIM!" darf nur einmal verwandt werden!'),
    ('err_121_area_expected', 'DIM takes an area variable.',
     ['DECLARE a%', 'DIM a%, 10 \' <'], STOP, 'Bereichs-Variable erwartet!'),
    ('err_122_suffix', 'A declared name must end with a type character.',
     ['DECLARE gut%, schlecht \' <'], STOP, 'Variablenbezeichner fehlerhaft: SCHLECHT'),
    ('err_122_bracket', 'A name ending in "]" needs its "[".',
     ['DECLARE a%]  \' <'], STOP, 'Variablenbezeichner fehlerhaft: A%]'),
    ('err_122_area_array', 'An area variable cannot have bounds.',
     ['DECLARE a#[3] \' <'], STOP, 'Variablenbezeichner fehlerhaft: A#[3]'),
    ('err_122_blank', 'A name cannot hold a blank.',
     ['PARAMETERS ein name% \' <'], STOP, 'Variablenbezeichner fehlerhaft: EIN NAME%'),
    ('err_123_name_length', 'Names may have 32 characters; 33 are too long.',
     ['DECLARE ' + 'a' * 31 + '%', 'DECLARE ' + 'b' * 32 + '% \' <'], STOP,
     'Variablenname zu lang: ' + 'B' * 32 + '%'),
    ('err_200_power', 'A power with a negative base and a broken exponent has no value.',
     ['DECLARE x!', 'x! = -8 ^ 0.5 \' <'], STOP, 'Ungültiger Funktionswert!'),
    ('err_201_division', 'Division by 0.',
     ['DECLARE x!', 'x! = 7 / (2 - 2) \' <'], STOP, 'Division durch 0!'),
    ('err_207_list', 'LIST% with an index above the DIM% bound; the detail is the bound.',
     ['DIM% 10', 'LIST% 10, 1', 'LIST% 11, 1 \' <'], STOP, 'Bereichsgrenze überschritten: 10'),
    ('err_207_area', 'An offset beyond the block of an area variable; the detail is the offset.',
     ['DECLARE a#', 'DIM a#, 10', 'BYTE a#, 10 = 1', 'WORD a#, 10 = 1 \' <'], STOP,
     'Bereichsgrenze überschritten: 10'),
    ('err_211_slot', 'The slot functions take 0 to 15.',
     ['DECLARE a%', 'a% = @%(16) \' <'], STOP, 'Parameterzahl muß zwischen 0 und 15 liegen!'),
    ('err_212_missing', 'An expression that is not there.',
     ['DECIMALS \' <'], STOP, 'Zu wenig Parameter!'),
    ('err_213_argument', 'A function name without its brackets.',
     ['DECLARE a%', 'a% = @PI \' <'], STOP, 'Funktionsargument fehlt!'),
    ('err_215_assignment', 'Assigning to a variable that was never declared is fatal.',
     ['x% = 1 \' <'], STOP, 'Variable nicht declariert: X%'),
    ('err_215_clear', 'CLEAR of a last name that is neither variable nor array.',
     ['DECLARE a%', 'CLEAR nix%, a%', 'CLEAR a%, nix% \' <'], STOP, 'Variable nicht declariert: NIX%'),
    ('err_215_array', 'Assigning to an array that was never declared.',
     ['b%[1] = 2 \' <'], STOP, 'Variable nicht declariert: B%'),
    ('err_217_integers', '499 integer variables fit; the 500th does not.',
     loop(498, ['DECLARE x%']) + ['DECLARE x% \' <'], STOP, 'Speicher für Integer-Variablen erschöpft!'),
    ('err_218_longs', '499 long variables fit; the 500th does not.',
     loop(499, ['DECLARE x&']) + ['DECLARE x& \' <'], STOP, 'Speicher für LongInt-Variablen erschöpft!'),
    ('err_219_strings', '499 string variables fit; the 500th does not.',
     loop(499, ['DECLARE x$']) + ['DECLARE x$ \' <'], STOP, 'Speicher für String-Variablen erschöpft!'),
    ('err_220_floats', '499 float variables fit; the 500th does not.',
     loop(499, ['DECLARE x!']) + ['DECLARE x! \' <'], STOP, 'Speicher für Float-Variablen erschöpft!'),
    ('err_231_dim_list', 'A DIM list bound above 65535.',
     ['DIM$ 65535', 'DIM% 65536 \' <'], STOP, 'Es sind lediglich 0 bis 9999 Elemente erlaubt!'),
    ('err_232_elements', '39 cubed elements fit the pool, a bound of 40 in three dimensions does not.',
     ['DECLARE a%[39]', 'DECLARE b%[40] \' <'], STOP, 'Zu viele Elemente!B%'),
    ('err_233_element', 'An index above its bound names no element.',
     ['DECLARE a%[4, 2]', 'a%[4,2] = 1', 'a%[5] = 1 \' <'], STOP, 'Das Element gibt es nicht!'),
    ('err_233_negative', 'A negative index names no element either.',
     ['DECLARE a$[4]', 'DECLARE x$', 'x$ = a$[-1] \' <'], STOP, 'Das Element gibt es nicht!'),
    ('err_239_areas', '499 area variables fit; the 500th does not.',
     loop(499, ['DECLARE x#']) + ['DECLARE x# \' <'], STOP, 'Speicher für Bereichs-Variablen erschöpft!'),
    ('err_240_area_memory', 'A block that cannot be had.',
     ['DECLARE a#', 'DIM a#, -5 \' <'], STOP, 'Zu wenig Speicher für Bereichs-Variable!'),
    ('err_241_area_twice', 'An area variable is dimensioned once.',
     ['DECLARE a#', 'DIM a#, 5', 'DIM a#, 5 \' <'], STOP, 'Bereichsvariable ist bereits DIMensioniert!'),
    ('err_243_area_missing', 'Writing into an area variable without a block.',
     ['DECLARE a#', 'DIM a#, 5', 'DISPOSE a#', 'STRING a#, 0 = "x" \' <'], STOP,
     'Bereichsvariable ist nicht DIMensioniert!'),
    ('err_243_area_read', 'Reading an area variable without a block.',
     ['DECLARE a#, b&', 'b& = a# \' <'], STOP, 'Bereichsvariable ist nicht DIMensioniert!'),
    ('err_253_arrays', '499 arrays fit; the 500th does not.',
     loop(499, ['DECLARE x%[0]']) + ['DECLARE x%[0] \' <'], STOP, 'Speicher für Array-Variablen erschöpft!'),
    ('err_254_dimensions', 'Arrays have up to three dimensions.',
     ['DECLARE a%[1, 2, 3, 4] \' <'], STOP, 'Maximal drei Dimensionen erlaubt!'),
    ('err_254_indices', 'An element has up to three indices.',
     ['DECLARE a%[1, 2, 3]', 'DECLARE x%', 'x% = a%[1, 1, 1, 1] \' <'], STOP, 'Maximal drei Dimensionen erlaubt!'),
    ('err_256_operator_stack', 'An expression that needs 51 waiting operators; 50 fit.',
     ['DECLARE x!', 'x! = ' + '1+(' * 49 + '1' + ')' * 49, 'x! = ' + '1+(' * 51 + '1' + ')' * 51 + ' \' <'], STOP, 'UNERWARTETER FEHLER!'),
]

def write(name, description, lines, icon, text):
    out = ["' " + description]
    caption_line = None
    for line in lines:
        if line.endswith("' <") or line.endswith("' <"):
            line = line[: line.rindex("'")].rstrip()
            caption_line = len(out) + 1
            shown = line
        out.append(line)
    if caption_line is None:
        sys.exit(name + ': no marked line')
    out.append("' box: %s | Zeile %6d: \\n%s | %s" % (icon, caption_line, shown, text))
    out.append("' exit: 2")
    with open(os.path.join(GOLDEN, name + '.tvs'), 'wb') as f:
        f.write(('\r\n'.join(out) + '\r\n').encode('cp1252'))

for case in CASES:
    write(*case)
print(len(CASES), 'programs')
