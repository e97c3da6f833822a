#!/usr/bin/env bash
# Usage: scripts/debian-root.sh SUITE [--wayland]
# Makes, once, a small Debian system of release SUITE (bookworm, trixie, ...) with debootstrap
# and prints its folder: a desktop's base as the portable tarball may assume it, the C library,
# Mesa's OpenGL and the X11 client libraries, and nothing else a game would bring (no SDL,
# no SDL_mixer, no libpng, no Vorbis). With --wayland it also holds what a Wayland desktop
# has for SDL's Wayland video driver: the Wayland client libraries and Mesa's EGL. It comes
# from the package mirror this machine already uses (as scripts/debian-source.sh finds it; no
# host is named here) and is kept in ~/.cache/zokk/roots/ (or $ZOKK_ROOTS_CACHE), keyed by the
# suite and the package list.
# Uses sudo when not run as root (debootstrap must be). Fails, saying why, when the mirror
# cannot give the suite.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
answer_help "$@"
[ $# -ge 1 ] && [ $# -le 2 ] || bad_usage "takes a suite and maybe --wayland, not $# arguments"
[[ "$1" =~ ^[a-z][a-z-]*$ ]] || bad_usage "a suite is a name such as bookworm, not $1"
suite=$1

# The desktop's base: Mesa's OpenGL (with its software renderer, for headless runs) and the
# X11 client libraries SDL's X11 video driver loads.
include=libgl1,libglx-mesa0,libgl1-mesa-dri,libx11-6,libxext6,libxcursor1,libxi6,libxfixes3,\
libxrandr2,libxrender1,libxss1,libxxf86vm1
# What SDL's Wayland driver loads (the client, its cursors and EGL windows, and xkbcommon for
# the keyboard) and Mesa's EGL, which it draws with there. libdecor stays out: SDL needs it only
# where the compositor draws no window borders of its own, and a desktop need not have it.
case ${2:-} in
--wayland) include+=,libwayland-client0,libwayland-cursor0,libwayland-egl1,libxkbcommon0,\
libegl1,libegl-mesa0 ;;
"") ;;
*) bad_usage "unknown option $2" ;;
esac
cache=${ZOKK_ROOTS_CACHE:-$HOME/.cache/zokk/roots}
key=$(printf '%s %s\n' "$suite" "$include" | sha256sum | cut -c1-12)
dir="$cache/$suite-$key"
mkdir -p "$cache"
# One debootstrap at a time per cache; a second caller then finds the root made.
exec 9>"$cache/lock"
flock 9
if [ -f "$dir/.complete" ]; then
    echo "$dir"
    exit 0
fi

mirror=$("$root/scripts/debian-source.sh" --mirror)
read -r mirror keyring <<<"$mirror"
command -v debootstrap >/dev/null || {
    echo "debian-root: debootstrap is missing (install the debootstrap package)" >&2
    exit 1
}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

work="$dir.partial"
$sudo rm -rf "$work"
log="$cache/$suite-$key.log"
echo "debian-root: making a $suite root with debootstrap (a few minutes)" >&2
if ! $sudo debootstrap --variant=minbase --components=main --include="$include" \
    --keyring="$keyring" "$suite" "$work" "$mirror" >"$log" 2>&1; then
    tail -n 5 "$log" >&2
    echo "debian-root: the mirror could not give a $suite root (log: $log)" >&2
    $sudo rm -rf "$work"
    exit 1
fi
# Downloaded packages are not part of the system.
$sudo rm -rf "$work"/var/cache/apt/archives/*.deb
$sudo touch "$work/.complete"
$sudo rm -rf "$dir"
$sudo mv "$work" "$dir"
echo "$dir"
