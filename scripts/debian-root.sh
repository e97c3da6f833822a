#!/usr/bin/env bash
# Usage: scripts/debian-root.sh SUITE
# Makes, once, a small Debian system of release SUITE (bookworm, trixie, ...) with debootstrap
# and prints its folder: a desktop's base as the portable tarball may assume it, the C library,
# Mesa's OpenGL and the X11 client libraries, and nothing else a game would bring (no SDL,
# no SDL_mixer, no libpng, no Vorbis). It comes from the package mirror this machine already
# uses (as scripts/debian-source.sh finds it; no host is named here) and is kept in
# ~/.cache/zokk/roots/ (or $ZOKK_ROOTS_CACHE), keyed by the suite and the package list.
# Uses sudo when not run as root (debootstrap must be). Fails, saying why, when the mirror
# cannot give the suite.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
answer_help "$@"
[ $# -eq 1 ] || bad_usage "takes one suite, not $#"
[[ "$1" =~ ^[a-z][a-z-]*$ ]] || bad_usage "a suite is a name such as bookworm, not $1"
suite=$1

# The desktop's base: Mesa's OpenGL (with its software renderer, for headless runs) and the
# X11 client libraries SDL's X11 video driver loads.
include=libgl1,libglx-mesa0,libgl1-mesa-dri,libx11-6,libxext6,libxcursor1,libxi6,libxfixes3,\
libxrandr2,libxrender1,libxss1,libxxf86vm1
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
