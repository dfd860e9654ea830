#!/usr/bin/env bash
# The extractor stub carries its own file size as decimal text in string resource 2.
stub=${1:?stub file}
stored=$(i686-w64-mingw32-windres -i "$stub" -O rc 2>/dev/null |
  sed -n '/^STRINGTABLE/,/^END/p' | sed -n 's/^ *2, *"\([0-9]*\)".*/\1/p')
actual=$(stat -c %s "$stub")
if [ -z "$stored" ]; then echo "no string resource 2 in $stub"; exit 1; fi
if [ "$stored" != "$actual" ]; then echo "$stub: string 2 says $stored, the file has $actual bytes"; exit 1; fi
echo "$stub: $actual bytes, as string 2 says"
