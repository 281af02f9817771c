#!/usr/bin/env bash
# Configures and builds the three trees under build/: native (portable code
# and its unit tests), win32 (the 32-bit deliverables) and win64 (the 64-bit
# deliverables and the Windows tests, which run under 64-bit Wine).
# Ends by writing the release package into dist/ (scripts/dist.sh).
# BUILD_DIR moves the trees elsewhere; SANITIZE=1 adds a sanitized native tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc)

configure() {  # configure DIR [cmake args...]
  local dir=$1; shift
  [ -f "$dir/CMakeCache.txt" ] || cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

configure "$build/native"
cmake --build "$build/native" -j "$jobs"
if [ "${SANITIZE:-0}" = 1 ]; then
  configure "$build/native-sanitize" -DBRACKENFOLD_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  cmake --build "$build/native-sanitize" -j "$jobs"
fi
# The 32-bit programs cannot run here (see README), so that tree builds the
# deliverables and checks them statically.
configure "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DBRACKENFOLD_WINDOWS_TESTS=OFF
cmake --build "$build/win32" -j "$jobs"
configure "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run"
cmake --build "$build/win64" -j "$jobs"
"$root/scripts/dist.sh"
