#!/usr/bin/env bash
# check_package.sh DIST_DIR BUILD_DIR VERSION_FILE
# Checks the release zip that scripts/dist.sh wrote: named after the version,
# exactly the shipped files at its top, each binary the same as the built
# one, and a pluginst.inf that lets the host install the plugin.
set -euo pipefail
dist=$1 build=$2 version_file=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

version=$(head -n 1 "$version_file" | tr -d '\r ')
zip=$dist/Brackenfold-$version.zip
[ -f "$zip" ] || { echo "FAIL: no $zip (scripts/build.sh writes it)"; exit 1; }

listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
wanted="Brackenfold.wfx Brackenfold.wfx64 Corvane.dll Corvane64.dll Flitch.exe pluginst.inf readme.txt "
[ "$listed" = "$wanted" ] || fail "the zip holds [$listed], expected [$wanted]"

for entry in win32/Brackenfold.wfx win32/Flitch.exe win32/Corvane.dll win64/Brackenfold.wfx64 win64/Corvane64.dll; do
  file=${entry#*/}
  cmp -s <(unzip -p "$zip" "$file") "$build/${entry%%/*}/bin/$file" || fail "$file differs from the one in $build/${entry%%/*}/bin"
done

# The INI text as the host reads it: Windows line ends, one section.
inf=$(unzip -p "$zip" pluginst.inf)
grep -q $'\r$' <<<"$inf" || fail "pluginst.inf lacks Windows line ends"
inf=$(tr -d '\r' <<<"$inf")
[ "$(sed -n 1p <<<"$inf")" = "[plugininstall]" ] || fail "pluginst.inf does not start with [plugininstall]"
[ "$(grep -c '^\[' <<<"$inf")" = 1 ] || fail "pluginst.inf has more than one section"
key() { sed -n "s/^$1=//p" <<<"$inf"; }
for k in type file description defaultdir; do
  [ "$(grep -c "^$k=" <<<"$inf")" = 1 ] || fail "pluginst.inf has not exactly one key $k"
done
[ "$(key type)" = wfx ] || fail "type is '$(key type)', not wfx"
[ "$(key file)" = Brackenfold.wfx ] || fail "file is '$(key file)', not Brackenfold.wfx"
[ "$(key defaultdir)" = Brackenfold ] || fail "defaultdir is '$(key defaultdir)', not Brackenfold"
case "$(key description)" in
  "Brackenfold $version: "?*) ;;
  *) fail "description '$(key description)' does not name Brackenfold $version" ;;
esac
# The 64-bit host takes the plugin of the same name with the 64-bit extension.
unzip -Z1 "$zip" | grep -qx "$(key file)64" || fail "no $(key file)64 beside $(key file)"

readme=$(unzip -p "$zip" readme.txt | tr -d '\r')
for word in "Brackenfold $version" pluginst.inf 'Quillery\Ombrix.ini' LangSection LangID Flitch.exe Corvane.dll; do
  grep -qF "$word" <<<"$readme" || fail "readme.txt does not mention $word"
done

[ "$failures" = 0 ] || exit 1
echo "ok $zip: $listed"
