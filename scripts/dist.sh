#!/usr/bin/env bash
# Installs what is missing, builds the deliverables and copies them to dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
rm -rf "$root/dist"
mkdir -p "$root/dist/32" "$root/dist/64"
for f in Brackenfold.wfx Flitch.exe Corvane.dll; do
  [ -f "$BUILD_DIR/win32/bin/$f" ] && cp "$BUILD_DIR/win32/bin/$f" "$root/dist/32/"
done
for f in Brackenfold.wfx64 Corvane64.dll; do
  [ -f "$BUILD_DIR/win64/bin/$f" ] && cp "$BUILD_DIR/win64/bin/$f" "$root/dist/64/"
done
echo "dist: $(cd "$root/dist" && find . -type f | sort | tr '\n' ' ')"
