# Sourced by the scripts that run Windows programs: the private Wine prefix
# inside the build folder, quiet Wine, and helpers to make and serve it.
: "${BUILD_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

# Creates the prefix once, with a virtual desktop so that closing a window
# does not wait for a window manager. Runs outside the display and stops its
# server afterwards, as a server started without a display cannot show windows.
wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/.brackenfold-ready-2" ]; then
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    # Wine links the user's Documents, Desktop and the like to the home folder;
    # make them real folders so that nothing a test writes leaves the prefix.
    local link
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
      if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
    done
    touch "$WINEPREFIX/.brackenfold-ready-2"
  fi
}

# Inside the display: a persistent server that does not inherit the caller's
# pipes, primed so that every program afterwards starts quickly.
wine_server_start() {
  setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}
wine_server_stop() { "$WINESERVER" -k 2>/dev/null || true; }
