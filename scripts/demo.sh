#!/usr/bin/env bash
# The demo: shows the plugin at work without Total Commander. It installs
# what is missing, builds, writes a small set of tagged documents into the
# project's Wine prefix, starts the reference tag server and drives the real
# plugin through the command-line host: the tree of virtual folders, a
# folder with the real files' sizes and dates, a copy out, an open that jumps
# to the real folder, then Flitch sending a path and Corvane reporting the
# folder of the process it is loaded into. It stops the server and ends with
# exit code 0; any step that does not do what it shows ends it with 1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

if [ "${1:-}" != --inside-display ]; then
  echo "== Preparing: tools, build, Wine prefix"
  "$root/scripts/setup.sh"
  mkdir -p "$BUILD_DIR"
  if ! "$root/scripts/build.sh" > "$BUILD_DIR/demo-build.log" 2>&1; then
    tail -30 "$BUILD_DIR/demo-build.log"
    echo "build failed (whole log: $BUILD_DIR/demo-build.log)"
    exit 1
  fi
  echo "build: done (log: build/$(basename "$BUILD_DIR/demo-build.log"))"
  source "$root/scripts/wine-env.sh"
  wine_prefix_ready
  # Windows programs need a display, even for hidden windows and message boxes.
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside-display
fi

source "$root/scripts/wine-env.sh"
bin=$BUILD_DIR/win64/bin
drive_c=$WINEPREFIX/drive_c
demo=$drive_c/BrackenfoldDemo
demo_win='C:\BrackenfoldDemo'
log=$BUILD_DIR/demo-server.log
# A Unix path as Wine sees it on its drive Z:.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
plugin=$(winpath "$bin/Brackenfold.wfx64")

fail() { echo "DEMO FAILED: $*"; exit 1; }
step() { echo; echo "== $*"; }
show() { echo "\$ $*"; }

# What the server logged since the last look, indented under the step; at
# most MAX lines (all by default), then how many more there were.
seen=0
server_says() {
  local total max=${1:-0} last
  total=$(wc -l < "$log")
  last=$total
  if [ "$max" -gt 0 ] && [ $((total - seen)) -gt "$max" ]; then last=$((seen + max)); fi
  if [ "$total" -gt "$seen" ]; then sed -n "$((seen + 1)),${last}p" "$log" | sed 's/^/    server | /'; fi
  if [ "$last" -lt "$total" ]; then echo "    server | ... and $((total - last)) more lines like these"; fi
  seen=$total
}
# Waits for a line of the server's log that holds the text, at most 30 s.
wait_for_server() {
  local i
  for i in $(seq 300); do
    grep -qF -- "$1" "$log" && return 0
    kill -0 "$server_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

host() { "$WINE" "$bin/plugin_host.exe" --auto-close "$plugin" "$@"; }

wine_server_start
server_pid=
settings=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  [ -n "$settings" ] && rm -f "$settings" && rmdir "$(dirname "$settings")" 2>/dev/null
  wine_server_stop
}
trap cleanup EXIT

step "1. Sample documents with tags, in the Wine prefix under $demo_win"
rm -rf "$demo"
mkdir -p "$demo/Documents/Garden" "$demo/Documents/Kitchen" "$demo/Documents/Letters" "$demo/Out"
printf 'Garden plan\r\n- raised beds along the fence\r\n- herbs by the door\r\n' > "$demo/Documents/Garden/plan.txt"
printf 'item;cost\r\nsoil;120\r\nseeds;35\r\nfence paint;60\r\n' > "$demo/Documents/Garden/budget.csv"
printf 'Kitchen plan\r\n- new shelves\r\n- paint the cupboard doors\r\n' > "$demo/Documents/Kitchen/plan.txt"
printf 'Dear landlord,\r\nthe heating is fixed. Thank you.\r\n' > "$demo/Documents/Letters/landlord.txt"
printf 'Policy 4711: renewal accepted.\r\n' > "$demo/Documents/Letters/insurance.txt"
touch -d '2024-03-14 09:30' "$demo/Documents/Garden/plan.txt"
touch -d '2024-03-20 18:05' "$demo/Documents/Garden/budget.csv"
touch -d '2024-04-02 11:45' "$demo/Documents/Kitchen/plan.txt"
touch -d '2024-02-27 16:10' "$demo/Documents/Letters/landlord.txt"
touch -d '2024-05-08 08:00' "$demo/Documents/Letters/insurance.txt"
tab=$'\t'
cat > "$demo/tags.txt" <<EOF
# The reference server's database: a real path, a tab, tags separated by ";".
$demo_win\\Documents\\Garden\\plan.txt${tab}Home; Garden; Plans
$demo_win\\Documents\\Garden\\budget.csv${tab}Home; Garden; Money
$demo_win\\Documents\\Kitchen\\plan.txt${tab}Home; Kitchen; Plans
$demo_win\\Documents\\Letters\\landlord.txt${tab}Home; Letters
$demo_win\\Documents\\Letters\\insurance.txt${tab}Letters; Money
EOF
sed 's/^/    /' "$demo/tags.txt"

# The plugin's messages in English, unless the prefix has settings of its own.
for documents in "$drive_c"/users/*/Documents; do
  case $documents in */Public/*) continue ;; esac
  if [ ! -f "$documents/Quillery/Ombrix.ini" ]; then
    mkdir -p "$documents/Quillery"
    settings=$documents/Quillery/Ombrix.ini
    printf '[LangSection]\r\nLangID=1\r\n' > "$settings"
  fi
  break
done

step "2. Start the reference tag server (a click shows the real folder: --action 1)"
show tag_server.exe --action 1 "$demo_win\\tags.txt"
"$WINE" "$bin/tag_server.exe" --action 1 "$demo_win\\tags.txt" > "$log" 2>&1 &
server_pid=$!
wait_for_server ready || { cat "$log"; fail "the server did not start"; }
server_says

step "3. The tree of virtual folders: each tag a folder, narrowing with every tag below"
show plugin_host tree '\'
host tree '\' || fail "tree"
server_says 4

step "4. A folder, as a file manager shows it: the real files' sizes and dates"
show plugin_host ls '\Home\Plans'
host ls '\Home\Plans' || fail "ls"
server_says
echo
show plugin_host ls '\Garden\Kitchen'
echo "(no document in Garden carries Kitchen: the plugin says so in a message box, closed here by --auto-close)"
if host ls '\Garden\Kitchen'; then fail "a folder that names nothing was listed"; fi
server_says

step "5. Copy a document out of the tree"
show plugin_host get '\Kitchen\plan.txt' "$demo_win\\Out\\kitchen-plan.txt"
host get '\Kitchen\plan.txt' "$demo_win\\Out\\kitchen-plan.txt" || fail "get"
server_says
cmp -s "$demo/Out/kitchen-plan.txt" "$demo/Documents/Kitchen/plan.txt" || fail "the copy differs from the document"
echo "the copy, $demo_win\\Out\\kitchen-plan.txt:"
sed 's/\r$//; s/^/    /' "$demo/Out/kitchen-plan.txt"

step "6. Open a document: the server answers action 1, so the host goes to its real folder"
show plugin_host open '\Money\budget.csv'
out=$(host open '\Money\budget.csv') || { echo "$out"; fail "open"; }
echo "$out"
server_says
[[ $out == *"$demo_win\\Documents\\Garden\\ (FS_EXEC_SYMLINK)"* ]] || fail "open did not show the real folder"

step "7. Flitch hands a path to the server"
show Flitch.exe "$demo_win\\Documents\\Letters\\landlord.txt" s
"$WINE" "$bin/Flitch.exe" "$demo_win\\Documents\\Letters\\landlord.txt" s || fail "Flitch ended with $?"
echo "Flitch ended with exit code 0"
wait_for_server "code 2 (path, mode s)" || fail "the server got nothing from Flitch"
server_says

step "8. Corvane, loaded into a host process, reports that process's current folder"
show "plugin_host --load Corvane64.dll Brackenfold.wfx64  (started in $demo_win\\Documents, commands on its input)"
reported="code 10 (current folder of a watched process): \"$demo_win\\Documents"
(
  cd "$demo/Documents"
  {
    wait_for_server "$reported\"" || true
    echo "cd $demo_win\\Documents\\Letters"
    wait_for_server "$reported\\Letters\"" || true
    echo "exit"
  } | "$WINE" "$bin/plugin_host.exe" --auto-close --load "$(winpath "$bin/Corvane64.dll")" "$plugin"
) || fail "the host with Corvane"
server_says
grep -qF "$reported\\Letters\"" "$log" ||
  fail "Corvane's report of the new folder did not reach the server"

step "9. Stop the server with a console break (Ctrl+C)"
show "kill -INT $server_pid"
kill -INT "$server_pid"
code=0
wait "$server_pid" || code=$?
server_pid=
server_says
[ "$code" = 0 ] || fail "the server ended with $code"
echo "the server ended with exit code 0"

echo
echo "== Demo finished: everything above ran against the real plugin, Flitch and Corvane."
echo "   The sample documents stay in $demo_win (that is, $demo)."
