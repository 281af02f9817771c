#!/usr/bin/env bash
# The one test command: installs what is missing, builds every tree and runs
# every test (native unit tests, the static checks of the binaries, and the
# Windows tests under Wine in a private prefix inside the build folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

ctest --test-dir "$BUILD_DIR/native" --output-on-failure
ctest --test-dir "$BUILD_DIR/win32" --output-on-failure

source "$root/scripts/wine-env.sh"
wine_prefix_ready
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  source '$root/scripts/wine-env.sh'
  wine_server_start
  trap wine_server_stop EXIT
  # One at a time: the named objects and the server window are shared by all processes.
  ctest --test-dir '$BUILD_DIR/win64' --output-on-failure
"
# Every benchmark once with a small N, so that they keep building and
# working; no time is asserted.
"$root/scripts/bench.sh" --smoke
