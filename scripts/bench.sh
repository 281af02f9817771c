#!/usr/bin/env bash
# Runs every benchmark and prints one table of the figures (ratios measured
# side by side in the same run, with their targets) and one of the times.
# Native benchmarks use Google Benchmark; the Windows ones are timing
# programs run under Wine in the private prefix, inside a virtual display.
#   scripts/bench.sh            full sizes (a few minutes; the machine should be quiet)
#   scripts/bench.sh --smoke    each benchmark once with a small N (for CI; asserts no time)
# A missed target is reported in the table, never as a failure; the script
# fails only when a benchmark program itself fails. Full outputs: build/bench/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
mode=()
[ "${1:-}" = --smoke ] && mode=(--smoke)

"$root/scripts/build.sh"
out="$BUILD_DIR/bench"
rm -rf "$out"
mkdir -p "$out"

for name in resolution parsing; do
  echo "bench: $name" >&2
  "$BUILD_DIR/native/bin/bench_$name" "${mode[@]}" >"$out/$name.txt"
done

source "$root/scripts/wine-env.sh"
wine_prefix_ready
windows=()
for exe in "$BUILD_DIR"/win64/bin/bench_*.exe; do
  [ -f "$exe" ] && windows+=("$(basename "$exe" .exe)")
done
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  source "$1/scripts/wine-env.sh"
  wine_server_start
  trap wine_server_stop EXIT
  out=$2; mode=$3; shift 3
  for name in "$@"; do
    echo "bench: ${name#bench_}" >&2
    "$WINE" "$BUILD_DIR/win64/bin/$name.exe" $mode >"$out/${name#bench_}.txt"
  done
' bash "$root" "$out" "${mode[*]}" "${windows[@]}"

# The lines of one kind from every benchmark, in the order of the table.
figures() {
  for name in resolution parsing listing request copy; do
    [ -f "$out/$name.txt" ] && grep "^$1|" "$out/$name.txt"
  done
  return 0
}
cpu=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')
echo
echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC')${mode:+ (smoke: small N, figures not meaningful)}"
echo "Machine: $(nproc) cores, $cpu; $("$WINE" --version 2>/dev/null)"
echo
echo "| Figure | Measured | Target | Met |"
echo "|---|---|---|---|"
figures "FIGURE" | awk -F'|' '{ printf "| %s | %s | %s | %s |\n", $2, $3, $4, $5 }'
echo
echo "| Measurement | Value |"
echo "|---|---|"
figures "TIME" | awk -F'|' '{ printf "| %s | %s |\n", $2, $3 }'
