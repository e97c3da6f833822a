#!/usr/bin/env bash
# Usage: scripts/with-xvfb.sh [--screen WIDTHxHEIGHTxDEPTH] GLREADY COMMAND [ARGS...]
# Runs COMMAND under an Xvfb of its own (640x480x24 unless --screen says otherwise, on a
# display number the server picks itself), after GLREADY has confirmed that OpenGL answers on
# it (the tests pass their glready program; scripts/capture.sh passes true). The server is
# always stopped afterwards, also when the command fails or the script is interrupted. A
# user's own display is never used: every variable through which a program could reach the
# desktop it was started from (a Wayland compositor, a chosen video driver, a window to draw
# into, the session's sound server and bus) is cleared, and the runtime folder, where the
# desktop's sockets are found by default, is one of the script's own.
set -u
. "$(dirname "$0")/prelude.sh"
answer_help "$@"
unset WAYLAND_DISPLAY WAYLAND_SOCKET SDL_VIDEODRIVER SDL_VIDEO_DRIVER SDL_WINDOWID XAUTHORITY \
    PULSE_SERVER PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
screen=640x480x24
if [ "${1:-}" = --screen ]; then
    [[ "${2:-}" =~ ^[0-9]+x[0-9]+x[0-9]+$ ]] || bad_usage "--screen needs WIDTHxHEIGHTxDEPTH"
    screen=$2
    shift 2
fi
[[ "${1:-}" != -* ]] || bad_usage "unknown option $1"
[ $# -ge 2 ] || bad_usage "needs the GL check and a command"
glready=$1
shift

fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
xvfb=$!
cleanup() {
    if [ -n "${watchdog:-}" ]; then
        kill "$watchdog" 2>/dev/null
        wait "$watchdog" 2>/dev/null
    fi
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -f "$fdfile"
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
# A watchdog stops the server too when this script is killed outright (as a test time-out
# does), which no trap can catch. Stopped itself, it takes its sleep along, so that nothing
# outlives this script.
(
    trap 'kill "$nap" 2>/dev/null; wait "$nap"; exit' TERM HUP
    while kill -0 $$ 2>/dev/null; do
        sleep 1 &
        nap=$!
        wait "$nap"
    done
    kill "$xvfb" 2>/dev/null
) </dev/null >/dev/null 2>&1 &
watchdog=$!

for _ in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    kill -0 "$xvfb" 2>/dev/null || { echo "with-xvfb: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
display=$(head -n 1 "$fdfile")
[ -n "$display" ] || { echo "with-xvfb: Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=":$display"
export GALLIUM_DRIVER=llvmpipe
export LIBGL_ALWAYS_SOFTWARE=1

ok=0
for _ in $(seq 1 50); do
    if "$glready" >/dev/null 2>&1; then ok=1; break; fi
    sleep 0.1
done
[ "$ok" = 1 ] || { echo "with-xvfb: OpenGL does not answer on $DISPLAY" >&2; "$glready"; exit 1; }

# The command's standard error is the real one (3); the shell's own goes nowhere while the
# command runs, so that its report of a server that died meanwhile does not end up among the
# command's lines (the command says what losing its display did to it).
exec 3>&2
{
    "$@" 2>&3 3>&-
    status=$?
} 2>/dev/null
exit "$status"
