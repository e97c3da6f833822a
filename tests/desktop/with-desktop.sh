#!/usr/bin/env bash
# Usage: with-desktop.sh COMMAND [ARGS...]
# Runs COMMAND on a headless desktop of its own, started as GTK's headless tests start theirs:
# a D-Bus session (dbus-run-session), PipeWire with WirePlumber and its PulseAudio server, and
# sway on wlroots' headless back end with its software renderer (sway.config beside this script:
# one 640 x 480 output at 60 Hz, no Xwayland). COMMAND gets that sway's WAYLAND_DISPLAY and
# SWAYSOCK, a private XDG_RUNTIME_DIR (where the sound server's sockets are too), a home folder
# of its own, no DISPLAY, Mesa's software OpenGL, and in ZOKK_SWAY_CONFIG the compositor's
# config, to start a second one like it. Its exit status is the script's.
#
# sway refuses to run as root, so the desktop and COMMAND run as an unprivileged user (uid 1000)
# in a user namespace, where this machine's files keep their owners (root's files are that
# user's, so test output can still be written), and in a PID namespace of their own. When the
# namespace's first process ends (COMMAND done, this script stopped by a signal, or killed
# outright: bubblewrap dies with its parent), the kernel ends everything in it, so nothing the
# desktop started outlives the script. Where this machine refuses a user namespace, that is
# said and the script ends with 77, CTest's code for a skipped test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# --- inside the namespaces and the D-Bus session --------------------------------------------
if [ "${1:-}" = --session ]; then
    runtime=$2
    shift 2
    logs=$runtime/logs
    mkdir -p "$logs" "$runtime/home"
    export XDG_RUNTIME_DIR=$runtime HOME=$runtime/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
    export XDG_DATA_HOME=$HOME/.local/share XDG_STATE_HOME=$HOME/.local/state
    # Nothing of the desktop this was started from may reach the command: not its displays, a
    # chosen video driver, a window to draw into, nor its sound server (the D-Bus session is
    # dbus-run-session's own).
    unset DISPLAY XAUTHORITY WAYLAND_DISPLAY WAYLAND_SOCKET SWAYSOCK SDL_VIDEODRIVER \
        SDL_VIDEO_DRIVER SDL_WINDOWID PULSE_SERVER PULSE_SINK PIPEWIRE_REMOTE PIPEWIRE_NODE
    # The compositor draws with pixman, its clients with Mesa's llvmpipe (through EGL on
    # Wayland's shared memory, as no GPU is there).
    export WLR_BACKENDS=headless WLR_RENDERER=pixman
    export GALLIUM_DRIVER=llvmpipe LIBGL_ALWAYS_SOFTWARE=1
    export ZOKK_SWAY_CONFIG=$here/sway.config

    services=()
    stop() {
        kill "${services[@]}" 2>/dev/null || true
        wait "${services[@]}" 2>/dev/null || true
    }
    trap stop EXIT
    start() { # NAME [ARGS...]: in the background, its output in its log
        "$@" >"$logs/$1.log" 2>&1 &
        services+=($!)
    }
    # Up to 10 s for CHECK to succeed; otherwise NAME's log and a line saying what failed.
    await() { # NAME WHAT CHECK...
        local name=$1 what=$2
        shift 2
        for _ in $(seq 1 100); do
            "$@" >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        tail -n 20 "$logs/$name.log" >&2
        echo "with-desktop: $what" >&2
        exit 1
    }
    # PipeWire's clients give up when its socket is not there yet, the session manager too.
    start pipewire
    await pipewire "PipeWire did not start" test -S "$runtime/pipewire-0"
    start wireplumber
    start pipewire-pulse
    ZOKK_SWAY_READY=$runtime/sway-ready start sway -c "$ZOKK_SWAY_CONFIG"
    await sway "sway did not start" test -s "$runtime/sway-ready"
    read -r WAYLAND_DISPLAY SWAYSOCK <"$runtime/sway-ready"
    export WAYLAND_DISPLAY SWAYSOCK
    await wireplumber "WirePlumber, which links the sound streams, did not start" \
        sh -c 'pw-cli ls Client | grep -q "application.name = \"WirePlumber\""'
    await pipewire-pulse "the PulseAudio server does not answer" pactl info

    status=0
    "$@" || status=$?
    exit "$status"
fi

# --- outside: a private runtime folder and the namespaces -----------------------------------
for program in bwrap dbus-run-session sway pipewire wireplumber pipewire-pulse pactl; do
    command -v "$program" >/dev/null || {
        echo "with-desktop: $program is missing (scripts/install-deps.sh --tests installs it)" >&2
        exit 1
    }
done
namespace=(--unshare-user --uid 1000 --gid 1000 --unshare-pid --die-with-parent
    --bind / / --dev-bind /dev /dev --proc /proc)
if ! refusal=$(bwrap "${namespace[@]}" true 2>&1); then
    echo "with-desktop: this machine refuses a user namespace ($refusal; user.max_user_namespaces" \
        "is $(cat /proc/sys/user/max_user_namespaces 2>/dev/null || echo unknown)), so sway" \
        "cannot run here as an unprivileged user: NOT TESTED" >&2
    exit 77
fi

runtime=$(mktemp -d /tmp/zokk-desktop-XXXXXX)
chmod 700 "$runtime"
cleanup() {
    if [ -n "${sandbox:-}" ]; then
        kill "$sandbox" 2>/dev/null || true
        wait "$sandbox" 2>/dev/null || true
    fi
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
# In the background, so that a signal is acted on at once rather than when the command ends.
bwrap "${namespace[@]}" dbus-run-session -- "$0" --session "$runtime" "$@" &
sandbox=$!
status=0
wait "$sandbox" || status=$?
sandbox=
exit "$status"
