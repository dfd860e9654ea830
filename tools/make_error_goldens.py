#!/usr/bin/env python3
"""The golden programs that raise one numbered error each (tests/golden/err_*.tvs).

    make_error_goldens.py [GOLDEN_DIR]           checks: regenerates every program into a
                                                 temporary folder and compares it byte for
                                                 byte with GOLDEN_DIR (default tests/golden)
    make_error_goldens.py --write [GOLDEN_DIR]   writes the programs into GOLDEN_DIR

The check fails (exit 1) when a program differs, is missing, or when GOLDEN_DIR holds an
err_*.tvs that no case makes: edit a case here and write, never the file alone.

A case is its description, its program lines and the box it must end with, then the
expectation lines that follow "' exit: 2" (how the compiled program or the compiler
behaves). The line marked with a trailing "' <" is the one whose display line is the
caption; the marker is a comment, which the loader cuts. Files are written in code page
1252, with CR LF line ends or, for the programs first written by hand, LF.
"""
import filecmp
import glob
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, '..', 'tests', 'golden')

CRLF = '\r\n'
LF = '\n'

STOP = 'stop ok'
WARN = 'exclamation okcancel'

def loop(times, body):
    return ['DECLARE zz%', 'WHILE zz%% < %d' % times] + body + ['INC zz%', 'WEND']

def case(name, description, lines, icon, text, after=(), newline=CRLF):
    return (name, description, lines, icon, text, list(after), newline)

def compile_stops(text, context, note=True):
    """The compiler checks every line and stops at this one with `text`."""
    lines = ["' The compiler checks every line: it stops here."] if note else []
    return lines + ["' compile box: stop ok | %s | %s" % (text, context), "' compile exit: 2"]

CASES = [
    case('err_100_system_variable', 'A system variable this build does not know.',
     ['DECLARE a%', 'a% = %GIBTSNICHT \' <'], STOP, 'Systemvariable unbekannt: %GIBTSNICHT',
         after=compile_stops('Systemvariable unbekannt: %GIBTSNICHT', 'Zeile      3: a% = %GIBTSNICHT', note=False)),
    case('err_101_function', 'A function this build does not know, with "@" and with brackets only.',
     ['DECLARE a%', 'a% = 1 + frob(2) \' <'], STOP, 'Funktion unbekannt: FROB'),
    case('err_102_proc_below', 'A procedure defined below its first call is not found.',
     ['oben 1 \' <', 'PROC oben', 'ENDPROC'], STOP, 'Befehl unbekannt: OBEN',
         after=["' Compiled, the call names the PROC line, found anywhere: the procedure runs.", "' compiled none:", "' compiled exit: 0"]),
    case('err_103_integer_expected', 'INC, DEC, ADD and SUB take integer variables only.',
     ['DECLARE a&', 'ADD a&, 2 \' <'], STOP, 'Integer-Variable erwartet!'),
    case('err_106_if', 'An IF whose condition is 0 and that has no ENDIF.',
     ['IF 0 \' <', 'REM'], STOP, 'ENDIF bzw. ELSE nicht gefunden!',
         after=compile_stops('ENDIF nicht gefunden!', 'Zeile      8:')),
    case('err_107_ifnot', 'An IFNOT whose condition is not 0 and that has no ENDIF.',
     ['IFNOT 1 \' <', 'IF 1', 'ENDIF', 'REM'], STOP, 'ENDIF nicht gefunden!',
         after=compile_stops('ENDIF nicht gefunden!', 'Zeile     10:')),
    case('err_107_else', 'An ELSE reached by running the branch before it, without an ENDIF.',
     ['IF 1', 'REM', 'ELSE \' <', 'REM'], STOP, 'ENDIF nicht gefunden!',
         after=compile_stops('ENDIF nicht gefunden!', 'Zeile     10:')),
    case('err_108_while', 'Eleven nested WHILE loops: the eleventh is one too many.',
     ['WHILE 1'] * 10 + ['WHILE 1 \' <'], STOP, 'Zu tiefe WHILE-Verschachtelung!',
         after=compile_stops('ENDWHILE bzw. WEND nicht gefunden!', 'Zeile     17:')),
    case('err_108_goto_out', 'A GOTO out of a loop leaves its entry: after ten such loops an eleventh is too deep.',
     ['DECLARE n%', 'nochmal:', 'INC n%', 'CASE n% = 11: GOTO "zuletzt"', 'WHILE 1', 'GOTO "nochmal"', 'WEND',
      'zuletzt:', 'WHILE 1 \' <'], STOP, 'Zu tiefe WHILE-Verschachtelung!',
         after=compile_stops('ENDWHILE bzw. WEND nicht gefunden!', 'Zeile     14:', note=False)),
    case('err_101_keyword_bracket', 'A keyword written directly before "(" is a bracketed call.',
     ['WEND(1) \' <', 'ENDIF'], STOP, 'Funktion unbekannt: WEND',
         after=compile_stops('IF oder IFNOT fehlt!', 'Zeile      3: ENDIF', note=False)),
    case('err_109_while', 'A WHILE whose condition is 0 and that has no WEND.',
     ['WHILE 0 \' <', 'REM'], STOP, 'ENDWHILE bzw. WEND nicht gefunden!',
         after=compile_stops('ENDWHILE bzw. WEND nicht gefunden!', 'Zeile      8:')),
    case('err_109_break', 'BREAK in a loop without WEND.',
     ['WHILE 1', 'BREAK \' <'], STOP, 'ENDWHILE bzw. WEND nicht gefunden!',
         after=compile_stops('ENDWHILE bzw. WEND nicht gefunden!', 'Zeile      8:')),
    case('err_110_wend', 'WEND without a loop.',
     ['WEND \' <'], STOP, 'WHILE oder WHILENOT fehlt!',
         after=compile_stops('WHILE oder WHILENOT fehlt!', 'Zeile      2: WEND')),
    case('err_110_continue', 'CONTINUE without a loop.',
     ['CONTINUE \' <'], STOP, 'WHILE oder WHILENOT fehlt!',
         after=compile_stops('WHILE oder WHILENOT fehlt!', 'Zeile      2: CONTINUE')),
    case('err_110_break', 'BREAK without a loop.',
     ['BREAK \' <'], STOP, 'WHILE oder WHILENOT fehlt!',
         after=compile_stops('WHILE oder WHILENOT fehlt!', 'Zeile      2: BREAK')),
    case('err_111_return', 'RETURN without GOSUB or procedure.',
     ['RETURN 5 \' <'], STOP, 'GOSUB/PROC fehlt!'),
    case('err_112_endproc', 'ENDPROC without a procedure call.',
     ['ENDPROC \' <'], STOP, 'PROC fehlt!',
         after=compile_stops('PROC fehlt!', 'Zeile      2: ENDPROC')),
    case('err_113_label', 'GOTO a label that no line begins with; the detail is the upper-cased label.',
     ['GOTO "nir" + "gends" \' <', 'nirgend:'], STOP, 'Label nicht gefunden: NIRGENDS:'),
    case('err_114_gosub', 'Fifty nested GOSUB calls are allowed in the interpreter, the 51st is not.',
     ['DECLARE n%', 'GOSUB "tiefer"', 'tiefer:', 'INC n%', 'CASE n% = 51: unbekannt', 'GOSUB "tiefer" \' <'],
     STOP, 'Zu tiefe GOSUB/PROC-Verschachtelung!',
         after=compile_stops('Befehl unbekannt: UNBEKANNT', 'Zeile      6: CASE n% = 51: unbekannt')),
    case('err_114_proc', 'Procedures nest 150 deep; the 151st call is one too many.',
     ['DECLARE n%', 'PROC tiefer', 'INC n%', 'CASE n% > 150: unbekannt', 'tiefer \' <', 'ENDPROC', 'tiefer'],
     STOP, 'Zu tiefe GOSUB/PROC-Verschachtelung!',
         after=compile_stops('Befehl unbekannt: UNBEKANNT', 'Zeile      5: CASE n% > 150: unbekannt')),
    case('err_115_proc', 'A PROC run into that has no ENDPROC.',
     ['PROC offen \' <', 'REM'], STOP, 'ENDPROC nicht gefunden!',
         after=compile_stops('ENDPROC nicht gefunden!', 'Zeile      8:')),
    case('err_116_dim_integer', 'DIM% may be used once.',
     ['DIM% 3', 'DIM% 4 \' <'], STOP, '"DIM%" darf nur einmal verwandt werden!'),
    case('err_117_dim_long', 'DIM& may be used once.',
     ['DIM& 3', 'DIM& 4 \' <'], STOP, '"DIM&" darf nur einmal verwandt werden!'),
    case('err_118_dim_string', 'DIM$ may be used once.',
     ['DIM$ 3', 'DIM$ 4 \' <'], STOP, '"DIM$" darf nur einmal verwandt werden!'),
    case('err_119_dim_float', 'DIM! may be used once.',
     ['DIM! 3', 'DIM! 4 \' <'], STOP, '"DIM!" darf nur einmal verwandt werden!'),
    case('err_121_area_expected', 'DIM takes an area variable.',
     ['DECLARE a%', 'DIM a%, 10 \' <'], STOP, 'Bereichs-Variable erwartet!'),
    case('err_122_suffix', 'A declared name must end with a type character.',
     ['DECLARE gut%, schlecht \' <'], STOP, 'Variablenbezeichner fehlerhaft: SCHLECHT'),
    case('err_122_bracket', 'A name ending in "]" needs its "[".',
     ['DECLARE a%]  \' <'], STOP, 'Variablenbezeichner fehlerhaft: A%]'),
    case('err_122_area_array', 'An area variable cannot have bounds.',
     ['DECLARE a#[3] \' <'], STOP, 'Variablenbezeichner fehlerhaft: A#[3]'),
    case('err_122_blank', 'A name cannot hold a blank.',
     ['PARAMETERS ein name% \' <'], STOP, 'Variablenbezeichner fehlerhaft: EIN NAME%'),
    case('err_123_name_length', 'Names may have 32 characters; 33 are too long.',
     ['DECLARE ' + 'a' * 31 + '%', 'DECLARE ' + 'b' * 32 + '% \' <'], STOP,
     'Variablenname zu lang: ' + 'B' * 32 + '%'),
    case('err_200_power', 'A power with a negative base and a broken exponent has no value.',
     ['DECLARE x!', 'x! = -8 ^ 0.5 \' <'], STOP, 'Ungültiger Funktionswert!'),
    case('err_201_division', 'Division by 0.',
     ['DECLARE x!', 'x! = 7 / (2 - 2) \' <'], STOP, 'Division durch 0!'),
    case('err_207_list', 'LIST% with an index above the DIM% bound; the detail is the bound.',
     ['DIM% 10', 'LIST% 10, 1', 'LIST% 11, 1 \' <'], STOP, 'Bereichsgrenze überschritten: 10'),
    case('err_207_area', 'An offset beyond the block of an area variable; the detail is the offset.',
     ['DECLARE a#', 'DIM a#, 10', 'BYTE a#, 10 = 1', 'WORD a#, 10 = 1 \' <'], STOP,
     'Bereichsgrenze überschritten: 10'),
    case('err_211_slot', 'The slot functions take 0 to 15.',
     ['DECLARE a%', 'a% = @%(16) \' <'], STOP, 'Parameterzahl muß zwischen 0 und 15 liegen!'),
    case('err_212_missing', 'An expression that is not there.',
     ['DECIMALS \' <'], STOP, 'Zu wenig Parameter!'),
    case('err_213_argument', 'A function name without its brackets.',
     ['DECLARE a%', 'a% = @PI \' <'], STOP, 'Funktionsargument fehlt!',
         after=compile_stops('Funktionsargument fehlt!', 'Zeile      3: a% = @PI')),
    case('err_215_assignment', 'Assigning to a variable that was never declared is fatal.',
     ['x% = 1 \' <'], STOP, 'Variable nicht declariert: X%'),
    case('err_215_clear', 'CLEAR of a last name that is neither variable nor array.',
     ['DECLARE a%', 'CLEAR nix%, a%', 'CLEAR a%, nix% \' <'], STOP, 'Variable nicht declariert: NIX%'),
    case('err_215_array', 'Assigning to an array that was never declared.',
     ['b%[1] = 2 \' <'], STOP, 'Variable nicht declariert: B%'),
    case('err_217_integers', '499 integer variables fit; the 500th does not.',
     loop(498, ['DECLARE x%']) + ['DECLARE x% \' <'], STOP, 'Speicher für Integer-Variablen erschöpft!'),
    case('err_218_longs', '499 long variables fit; the 500th does not.',
     loop(499, ['DECLARE x&']) + ['DECLARE x& \' <'], STOP, 'Speicher für LongInt-Variablen erschöpft!'),
    case('err_219_strings', '499 string variables fit; the 500th does not.',
     loop(499, ['DECLARE x$']) + ['DECLARE x$ \' <'], STOP, 'Speicher für String-Variablen erschöpft!'),
    case('err_220_floats', '499 float variables fit; the 500th does not.',
     loop(499, ['DECLARE x!']) + ['DECLARE x! \' <'], STOP, 'Speicher für Float-Variablen erschöpft!'),
    case('err_231_dim_list', 'A DIM list bound above 65535.',
     ['DIM$ 65535', 'DIM% 65536 \' <'], STOP, 'Es sind lediglich 0 bis 9999 Elemente erlaubt!'),
    case('err_232_elements', '39 cubed elements fit the pool, a bound of 40 in three dimensions does not.',
     ['DECLARE a%[39]', 'DECLARE b%[40] \' <'], STOP, 'Zu viele Elemente!B%'),
    case('err_233_element', 'An index above its bound names no element.',
     ['DECLARE a%[4, 2]', 'a%[4,2] = 1', 'a%[5] = 1 \' <'], STOP, 'Das Element gibt es nicht!'),
    case('err_233_negative', 'A negative index names no element either.',
     ['DECLARE a$[4]', 'DECLARE x$', 'x$ = a$[-1] \' <'], STOP, 'Das Element gibt es nicht!'),
    case('err_233_list_item', 'LISTBOXITEM$ past the shared list\'s last entry names no element.',
     ['ADDSTRING "a"', 'ADDSTRING "b"', 'ADDSTRING "c"', 'LISTBOXITEM$ 5, "x" \' <'], STOP, 'Das Element gibt es nicht!'),
    case('err_206_list_item', 'Reading the shared list past its last entry.',
     ['ADDSTRING "a"', 'PRINT @LISTBOXITEM$(1) \' <'], STOP, 'So viele Elemente sind nicht da!'),
    case('err_232_shared_list', 'The shared list holds 32768 entries (last index 32767); one more is too many.',
     ['DECLARE i&', 'WHILE i& < 32768', 'ADDSTRING "x"', 'i& = i& + 1', 'WEND', 'IF %GETCOUNT <> 32767', 'END', 'ENDIF',
      'ADDSTRING "y" \' <'], STOP, 'Zu viele Elemente!'),
    case('err_239_areas', '499 area variables fit; the 500th does not.',
     loop(499, ['DECLARE x#']) + ['DECLARE x# \' <'], STOP, 'Speicher für Bereichs-Variablen erschöpft!'),
    case('err_240_area_memory', 'A block that cannot be had.',
     ['DECLARE a#', 'DIM a#, -5 \' <'], STOP, 'Zu wenig Speicher für Bereichs-Variable!'),
    case('err_241_area_twice', 'An area variable is dimensioned once.',
     ['DECLARE a#', 'DIM a#, 5', 'DIM a#, 5 \' <'], STOP, 'Bereichsvariable ist bereits DIMensioniert!'),
    case('err_243_area_missing', 'Writing into an area variable without a block.',
     ['DECLARE a#', 'DIM a#, 5', 'DISPOSE a#', 'STRING a#, 0 = "x" \' <'], STOP,
     'Bereichsvariable ist nicht DIMensioniert!'),
    case('err_243_area_read', 'Reading an area variable without a block.',
     ['DECLARE a#, b&', 'b& = a# \' <'], STOP, 'Bereichsvariable ist nicht DIMensioniert!'),
    case('err_253_arrays', '499 arrays fit; the 500th does not.',
     loop(499, ['DECLARE x%[0]']) + ['DECLARE x%[0] \' <'], STOP, 'Speicher für Array-Variablen erschöpft!'),
    case('err_254_dimensions', 'Arrays have up to three dimensions.',
     ['DECLARE a%[1, 2, 3, 4] \' <'], STOP, 'Maximal drei Dimensionen erlaubt!'),
    case('err_254_indices', 'An element has up to three indices.',
     ['DECLARE a%[1, 2, 3]', 'DECLARE x%', 'x% = a%[1, 1, 1, 1] \' <'], STOP, 'Maximal drei Dimensionen erlaubt!'),
    case('err_256_operator_stack', 'An expression that needs 51 waiting operators; 50 fit.',
     ['DECLARE x!', 'x! = ' + '1+(' * 49 + '1' + ')' * 49, 'x! = ' + '1+(' * 51 + '1' + ')' * 51 + ' \' <'], STOP, 'UNERWARTETER FEHLER!'),
    # First written by hand (LF line ends): functions, DEF functions, families not built.
    case('err_100_not_built', 'A system variable of a family this build does not have stops with its name.',
         ['DECLARE a%', "a% = %DBEOF ' <"], STOP, 'Systemvariable unbekannt: %DBEOF'),
    case('err_101_def', 'A DEF function that the program does not define: 101 names it.',
         ['DEF @SQ(1) @!(1)*@!(1)', 'DECLARE a!', 'a! = @SQ(3)', "a! = @SQX(3) ' <"], STOP, 'Funktion unbekannt: SQX',
         after=["' compile box: stop ok | Funktion unbekannt: SQX | Zeile      5: a! = @SQX(3)", "' compile exit: 2"], newline=LF),
    case('err_101_dll', 'A DEF function whose body calls a DLL: DLL calls are not part of this build.',
         ['DEF @BEEP(1) !USER32,MessageBeep', 'DECLARE a&', "a& = @BEEP(0) ' <"], STOP, 'Funktion unbekannt: BEEP',
         after=["' The compiled form keeps no name of a DEF function.", "' compiled box: stop ok | Zeile      4! | Funktion unbekannt: ZDEF2"], newline=LF),
    case('err_101_library', 'A catalogue function of a family this build does not have fails clearly.',
         ['DECLARE a%', "a% = @GETPIXEL(1,1) ' <"], STOP, 'Funktion unbekannt: GETPIXEL', newline=LF),
    case('err_114_def', 'A DEF function that calls itself without end stops at the depth of procedure calls.',
         ['DEF @ENDLOS(1) @ENDLOS(@%(1) + 1)', 'DECLARE a%', "a% = @ENDLOS(1) ' <"], STOP, 'Zu tiefe GOSUB/PROC-Verschachtelung!', newline=LF),
    case('err_121_area_function', 'BYTE of a name that is no area variable.',
         ['DECLARE a%, b%', "b% = @BYTE(a%, 0) ' <"], STOP, 'Bereichs-Variable erwartet!', newline=LF),
    case('err_200_ln', 'The logarithm of 0 has no value.',
         ['DECLARE a!', "a! = @LN(0) ' <"], STOP, 'Ungültiger Funktionswert!', newline=LF),
    case('err_200_sqrt', 'Nor has the square root of a negative number.',
         ['DECLARE a!', "a! = @SQRT(-1) ' <"], STOP, 'Ungültiger Funktionswert!', newline=LF),
    case('err_201_div', 'DIV, DIV& and MOD by 0.',
         ['DECLARE a!', 'a! = @DIV(1, 0.5)', 'a! = @MOD(7, 2)', "a! = @DIV&(7, 0) ' <"], STOP, 'Division durch 0!', newline=LF),
    case('err_201_mod', 'MOD by 0.',
         ['DECLARE a!', "a! = @MOD(7, 0) ' <"], STOP, 'Division durch 0!', newline=LF),
    case('err_204_mid', 'MID$ from position 0.',
         ['DECLARE a$', 'a$ = @MID$("abc",0,1) \' <'], STOP, 'String-Index ist < 1 !', newline=LF),
    case('err_204_right', 'RIGHT$ longer than its text; LEFT$ is not.',
         ['DECLARE a$', 'a$ = @LEFT$("abc",4)', 'a$ = @RIGHT$("abc",4) \' <'], STOP, 'String-Index ist < 1 !', newline=LF),
    case('err_205_substr', 'SUBSTR$ number 0.',
         ['DECLARE a$', 'a$ = @SUBSTR$("a,b,c",4,",")', 'a$ = @SUBSTR$("a,b,c",0,",") \' <'], STOP, 'Substring-Nr ist < 1 !', newline=LF),
    case('err_207_area_function', 'LONG reading past the end of a block; the detail is its size.',
         ['DECLARE a#, b&', 'DIM a#, 7', 'b& = @LONG(a#, 4)', "b& = @LONG(a#, 5) ' <"], STOP, 'Bereichsgrenze überschritten: 7', newline=LF),
    case('err_207_list_function', 'LIST$ above the DIM$ bound; the detail is the bound.',
         ['DIM$ 3', 'DECLARE a$', 'a$ = @LIST$(3)', "a$ = @LIST$(4) ' <"], STOP, 'Bereichsgrenze überschritten: 3', newline=LF),
    case('err_208_par', 'PAR$ beyond the last parameter.',
         ['DECLARE a$', 'a$ = @PAR$(1)', "a$ = @PAR$(2) ' <"], STOP, 'Kommandozeilenparameter fehlt!',
         after=["' args: err_208_par.tvs eins"], newline=LF),
    case('err_211_def', 'A DEF function with 16 parameters.',
         ['DEF @VIEL(16) 1', 'DECLARE a%', "a% = @VIEL(1) ' <"], STOP, 'Parameterzahl muß zwischen 0 und 15 liegen!', newline=LF),
    case('err_211_slot_string', 'Slot 16 does not exist.',
         ['DECLARE a$', "a$ = @$(16) ' <"], STOP, 'Parameterzahl muß zwischen 0 und 15 liegen!', newline=LF),
    case('err_215_addr', 'ADDR of a variable that is not declared.',
         ['DECLARE a%', "a% = @ADDR(b%) ' <"], STOP, 'Variable nicht declariert: B%', newline=LF),
    case('err_256_nesting', ['A DEF function that calls itself inside fifty brackets: the evaluations nest deeper than', 'the machine stack allows long before the call depth is reached, and are given up.'],
         ['DEF @TIEF(1) @IF(@!(1) > 0, ' + '(' * 50 + '@TIEF' + '(' * 51 + '@!(1) - 1' + ')' * 101 + ', 0)', 'DECLARE x!', "x! = @TIEF(1000) ' <"], STOP, 'UNERWARTETER FEHLER!', newline=LF),

]

def write(folder, name, description, lines, icon, text, after, newline):
    descriptions = description if isinstance(description, list) else [description]
    out = ["' " + line for line in descriptions]
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
    out.extend(after)
    with open(os.path.join(folder, name + '.tvs'), 'wb') as f:
        f.write((newline.join(out) + newline).encode('cp1252'))

def first_difference(made, kept):
    """The first line where two files differ, for the report."""
    with open(made, 'rb') as f:
        a = f.read().split(b'\n')
    with open(kept, 'rb') as f:
        b = f.read().split(b'\n')
    for number, (x, y) in enumerate(zip(a, b), 1):
        if x != y:
            return 'line %d: made %r, kept %r' % (number, x, y)
    return 'made %d lines, kept %d' % (len(a), len(b))

def check(golden):
    names = [c[0] for c in CASES]
    if len(set(names)) != len(names):
        sys.exit('two cases share a name')
    faults = []
    with tempfile.TemporaryDirectory() as folder:
        for c in CASES:
            write(folder, *c)
        for name in names:
            made = os.path.join(folder, name + '.tvs')
            kept = os.path.join(golden, name + '.tvs')
            if not os.path.exists(kept):
                faults.append('%s.tvs: missing in %s' % (name, golden))
            elif not filecmp.cmp(made, kept, shallow=False):
                faults.append('%s.tvs: differs, %s' % (name, first_difference(made, kept)))
    for path in sorted(glob.glob(os.path.join(golden, 'err_*.tvs'))):
        if os.path.basename(path)[:-4] not in names:
            faults.append('%s: no case makes it' % os.path.basename(path))
    for fault in faults:
        print(fault)
    print('%d programs, %d faults' % (len(CASES), len(faults)))
    return 1 if faults else 0

def main(arguments):
    writing = arguments[:1] == ['--write']
    if writing:
        arguments = arguments[1:]
    if len(arguments) > 1 or any(a.startswith('-') for a in arguments):
        sys.exit(__doc__)
    golden = arguments[0] if arguments else GOLDEN
    if not writing:
        return check(golden)
    for c in CASES:
        write(golden, *c)
    print(len(CASES), 'programs written')
    return 0

if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
