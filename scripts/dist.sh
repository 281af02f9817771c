#!/usr/bin/env bash
# Writes the release package into dist/ from the built trees (build.sh calls
# it last; on its own it needs both Windows trees built): the zip that opens
# in Total Commander as an installer, Brackenfold-VERSION.zip, and the same
# files unpacked beside it. The texts come from package/, with @VERSION@
# replaced and Windows line ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
dist=${DIST_DIR:-$root/dist}
version=$(head -n 1 "$root/VERSION" | tr -d '\r ')
name=Brackenfold-$version

binaries=("$build/win32/bin/Brackenfold.wfx" "$build/win32/bin/Flitch.exe" "$build/win32/bin/Corvane.dll"
          "$build/win64/bin/Brackenfold.wfx64" "$build/win64/bin/Corvane64.dll")
for f in "${binaries[@]}"; do
  [ -f "$f" ] || { echo "dist: $f is missing; run ./scripts/build.sh" >&2; exit 1; }
done

rm -rf "$dist"
mkdir -p "$dist/$name"
cp "${binaries[@]}" "$dist/$name/"
for text in pluginst.inf readme.txt; do
  sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/package/$text" > "$dist/$name/$text"
done
# Flat, without folder entries or Unix extras: the host looks for
# pluginst.inf at the top of the archive.
(cd "$dist/$name" && zip -q -X -D "$dist/$name.zip" pluginst.inf readme.txt \
  Brackenfold.wfx Brackenfold.wfx64 Flitch.exe Corvane.dll Corvane64.dll)
echo "dist: $dist/$name.zip ($(unzip -Z1 "$dist/$name.zip" | tr '\n' ' '))"
