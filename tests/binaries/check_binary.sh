#!/usr/bin/env bash
# check_binary.sh OBJDUMP PE_FORMAT FILE "EXPORTS"
# Checks that FILE is a PE image of PE_FORMAT whose export table holds
# exactly EXPORTS (plain, undecorated names; empty for none) and whose
# imports are system libraries only.
set -euo pipefail
objdump=$1 format=$2 file=$3 expected=$4
fail() { echo "FAIL $file: $*"; exit 1; }

dump=$("$objdump" -p "$file")
grep -q "file format $format" <<<"$dump" || fail "not $format: $(head -2 <<<"$dump" | tail -1)"

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[[:space:]]*\[/{print $NF;next} t{t=0}' <<<"$dump" | sort | tr '\n' ' ' | sed 's/ $//')
want=$(tr ' ' '\n' <<<"$expected" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$exports" = "$want" ] || fail "exports are [$exports], expected [$want]"

allowed='^(kernel32|user32|shell32|gdi32|advapi32|msvcrt|ole32|version|comctl32|shlwapi)\.dll$'
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  [[ $lower =~ $allowed ]] || fail "imports $dll, which is not a system library"
done < <(awk '/DLL Name:/{print $3}' <<<"$dump")
echo "ok $file: $format, exports [$exports], imports $(awk '/DLL Name:/{printf "%s ", $3}' <<<"$dump")"
