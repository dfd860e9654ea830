-- The table the ODBC test exports: a NULL in each column but the first, Windows-1252
-- bytes, the smallest long, a quote character and a 60-character text.
CREATE TABLE kunden (nr INTEGER, name VARCHAR(30), umsatz DOUBLE, notiz TEXT);
INSERT INTO kunden VALUES (1, 'M' || CAST(X'FC' AS TEXT) || 'ller', 12.5, NULL);
INSERT INTO kunden VALUES (-2147483648, 'Sa"y', NULL, '123456789012345678901234567890123456789012345678901234567890');
INSERT INTO kunden VALUES (3, NULL, 8.25, 'Gr' || CAST(X'FC' AS TEXT) || CAST(X'DF' AS TEXT) || 'e');
CREATE TABLE zaehler (was TEXT, wert INTEGER);
