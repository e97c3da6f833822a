#!/usr/bin/env bash
# Usage: run-wine-tests.sh GLREADY TEST-EXECUTABLE WORK-DIR
# Builds dist/zokk-win64.zip (scripts/build-windows.sh) and the test build zokk-frames.exe
# beside it, unpacks the zip into WORK-DIR/unpacked and runs TEST-EXECUTABLE under an Xvfb of
# its own (scripts/with-xvfb.sh) with a Wine prefix of its own in WORK-DIR/wineprefix:
# the ZokkOnWindowsDesktop cases on a 1280 x 720 screen, all others on the usual 640 x 480. Wine's first-run installers of Mono and Gecko are
# switched off, and its server is stopped afterwards, whatever happens, so that nothing of
# Wine stays running.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ "${1:-}" = --under-xvfb ]; then
    shift
    trap '"$ZOKK_WINESERVER" -k 2>/dev/null || true; "$ZOKK_WINESERVER" -w 2>/dev/null || true' EXIT
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$ZOKK_WINE" wineboot --init >/dev/null 2>&1
        # No window manager runs on the test's display: Wine must not wait for one (it would
        # wait two seconds for each window that closes).
        "$ZOKK_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        "$ZOKK_WINESERVER" -w
    fi
    "$@"
    exit
fi

glready=$1
tests=$2
work=$3
zip=$("$root/scripts/build-windows.sh" | tail -n 1)
cmake --build "$root/build-windows" --target zokk-frames -j"${ZOKK_JOBS:-$(nproc)}" >/dev/null
mkdir -p "$work"
work=$(cd "$work" && pwd)
rm -rf "$work/unpacked"
unzip -q "$zip" -d "$work/unpacked"

wine_bin() {
    command -v "$1" 2>/dev/null || echo "/usr/lib/wine/$1"
}
export ZOKK_WINE=$(wine_bin wine64)
export ZOKK_WINESERVER=$(wine_bin wineserver)
export WINEPREFIX="$work/wineprefix"
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export ZOKK_WINDOWS_DIR="$work/unpacked/$(basename "$zip" .zip)"
export ZOKK_EXE="$here/wine-zokk.sh"
export ZOKK_FRAMES_EXE="$root/build-windows/tests/windows/zokk-frames.exe"
xvfb="$root/scripts/with-xvfb.sh"
status=0
"$xvfb" "$glready" "$0" --under-xvfb "$tests" --gtest_filter='-ZokkOnWindowsDesktop.*' || status=1
"$xvfb" --screen 1280x720x24 "$glready" "$0" --under-xvfb "$tests" \
    --gtest_filter='ZokkOnWindowsDesktop.*' || status=1
exit $status
