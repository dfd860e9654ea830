#!/usr/bin/python3
"""Prints a table as the Debian readers see it, one record per line, for the interop test:
  interop_dump.py dbfread TABLE.DBF   -> "*" for deleted records, then |FIELD=value per field
  interop_dump.py dbf TABLE.DBF       -> the same through python3-dbf
Values are the field bytes (latin-1), blanks trimmed; memos with CR LF removed."""
import sys


def clean(value):
    if isinstance(value, bytes):
        value = value.decode("latin-1")
    return str(value).replace("\r\n", "").strip()


def normal(kind, value):
    """Dates as YYYYMMDD, logicals T/F, numbers in %g, nothing for empty values."""
    if value is None:
        return ""
    if kind == "D":
        return value.strftime("%Y%m%d") if value else ""
    if kind == "L":
        return "T" if value else "F"
    if kind == "N":
        return "%g" % value
    return value


def main():
    reader, name = sys.argv[1:3]
    out = sys.stdout
    if reader == "dbfread":
        from dbfread import DBF
        table = DBF(name, encoding="latin-1", char_decode_errors="replace")
        kinds = {f.name: f.type for f in table.fields}
        rows = [("*", r) for r in table.deleted] + [(" ", r) for r in table]
        # dbfread lists deleted records apart; the test compares sorted lines.
        for flag, record in rows:
            out.write(flag + "".join("|%s=%s" % (k, clean(normal(kinds[k], v))) for k, v in record.items()) + "\n")
    else:
        import dbf
        table = dbf.Table(name, codepage="cp1252")
        table.open(dbf.READ_ONLY)
        for record in table:
            fields = []
            for field in table.field_names:
                value = record[field]
                kind = chr(table.field_info(field)[0])
                if isinstance(value, str):
                    value = value.encode("cp1252").decode("latin-1")
                fields.append("|%s=%s" % (field.upper(), clean(normal(kind, value))))
            out.write(("*" if dbf.is_deleted(record) else " ") + "".join(fields) + "\n")
        table.close()


if __name__ == "__main__":
    main()
