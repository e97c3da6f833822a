#!/usr/bin/env bash
# Run by CTest under scripts/with-xvfb.sh, started with a desktop's variables set to the
# values in ZOKK_OUTER_* (see tests/CMakeLists.txt): nothing of that desktop may reach a test.
# Checks that every variable through which a program could reach it is cleared, that the display
# is the test's own, and that the runtime folder, where sockets are found by default, is a new
# and private one.
set -u
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
for name in WAYLAND_DISPLAY WAYLAND_SOCKET SDL_VIDEODRIVER SDL_VIDEO_DRIVER SDL_WINDOWID \
    XAUTHORITY PULSE_SERVER PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS; do
    [ -z "${!name+set}" ] || fail "$name reaches the test: ${!name}"
done
[ "${DISPLAY:-}" != "$ZOKK_OUTER_DISPLAY" ] || fail "the test runs on the outer display $DISPLAY"
[ "${XDG_RUNTIME_DIR:-}" != "$ZOKK_OUTER_RUNTIME" ] || fail "the outer runtime folder is used"
[ -d "${XDG_RUNTIME_DIR:-}" ] && [ -z "$(ls -A "$XDG_RUNTIME_DIR")" ] ||
    fail "the runtime folder ${XDG_RUNTIME_DIR:-} is not a new, empty folder"
[ "$(stat -c %a "${XDG_RUNTIME_DIR:-/}")" = 700 ] || fail "the runtime folder is not private"
[ "$failures" = 0 ] || exit 1
echo "display set-up: the test's own display $DISPLAY, no variable of the outer desktop"
