#!/usr/bin/env bash
# The reference tag server ends cleanly on a console break: started under
# Wine as a console program, it gets SIGINT (what Ctrl+C sends), which Wine
# hands to its console handler; it must log the break, close its window and
# exit with 0.  Usage: tag_server_console_break.sh TAG_SERVER_EXE
# Runs inside the display and the prefix that scripts/test.sh prepares.
set -uo pipefail
server=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'C:\\a.txt\tWork\n' > "$work/tags.txt"

/usr/lib/wine/wine64 "$server" "$work/tags.txt" > "$work/log" 2>&1 &
pid=$!
# Wait for the server's "ready" line (it comes once its window exists), at most 60 s.
for _ in $(seq 600); do
  grep -qx ready "$work/log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if ! grep -qx ready "$work/log"; then
  echo "the server did not get ready:"; cat "$work/log"; kill "$pid" 2>/dev/null; exit 1
fi
kill -INT "$pid"
wait "$pid"
code=$?
cat "$work/log"
[ "$code" = 0 ] || { echo "exit code $code, expected 0"; exit 1; }
grep -qx 'console break: stopping' "$work/log" || { echo "no console break logged"; exit 1; }
grep -qx stopped "$work/log" || { echo "no clean stop logged"; exit 1; }
echo "the server stopped cleanly on the console break"
