#!/usr/bin/env bash
# Usage: scripts/install-deps.sh [--tests] [--capture] [--package] [--windows] [--web]
#                                [--fuzz] [--check]
# Installs the Debian packages zokk needs to build, play and test, skipping the ones already
# there. Safe to run again and again. Uses sudo when not run as root.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
answer_help "$@"

packages=(
    cmake g++ make pkg-config
    # libsdl1.2-compat-dev on purpose: the classic libsdl1.2-dev changes the desktop's video
    # mode for full-screen, the compatibility layer scales instead.
    libsdl1.2-compat-dev libsdl-mixer1.2-dev
    libpng-dev libgl-dev libglu1-mesa-dev
    libvorbis-dev libogg-dev
)
# Each option adds a group: --tests what the tests and the benchmark need (and with them every
# group that a test builds and runs: the capture, the Windows build, the web page, the package);
# --fuzz what the PNG fuzzer needs; --check what the release's check needs. Options combine.
tests=(
    googletest libgtest-dev
    xvfb xauth xdotool libx11-dev libgl1-mesa-dri
    time
    # The tarball is played in small Debian systems of the test's own.
    debootstrap
    # The desktop tier plays zokk on a headless Wayland desktop of its own: sway (run as an
    # unprivileged user through bubblewrap, as it refuses root) in a D-Bus session, PipeWire with
    # WirePlumber and its PulseAudio server (pactl makes the null sinks, parec records them,
    # pw-link tells when a recording is linked); grim takes its screenshots, wtype types its
    # keys, jq reads sway's window tree; Mesa's EGL lets zokk draw on Wayland.
    sway grim wtype jq bubblewrap dbus-daemon pipewire pipewire-bin wireplumber pipewire-pulse
    pulseaudio-utils libegl-mesa0
)
# The video capture draws on a private Xvfb with Mesa's software OpenGL and encodes with ffmpeg.
capture=(ffmpeg xvfb xauth libgl1-mesa-dri libx11-dev)
windows=(g++-mingw-w64-x86-64 wine64 zip unzip dpkg-dev)
web=(emscripten chromium firefox-esr dpkg-dev)
# Node.js and npm drive the browser in the web test. A machine may already have a newer
# Node.js with its own npm from elsewhere, which Debian's npm would conflict with.
command -v npm >/dev/null || web+=(nodejs npm)
# The package and the portable tarball; the tarball's SDL2 is built with the headers of every
# video and sound back end it loads at run time (X11, Wayland, PipeWire, PulseAudio, ALSA).
# desktop-file-validate checks the package's menu entry.
package=(dpkg-dev debhelper build-essential lintian bubblewrap patchelf desktop-file-utils
    libx11-dev libxext-dev libxcursor-dev libxi-dev libxfixes-dev libxrandr-dev libxss-dev
    libxxf86vm-dev libgl-dev libegl-dev libwayland-dev libxkbcommon-dev wayland-protocols
    libdecor-0-dev libpipewire-0.3-dev libpulse-dev libasound2-dev)
# The release's check compares its two makings with diffoscope (without the tools it would
# recommend for formats the release does not have), and makes the second as another user in a
# user namespace of bubblewrap's.
check=(diffoscope-minimal unzip bubblewrap)
fuzz=(clang dpkg-dev)
for option in "$@"; do
    case "$option" in
    --tests) packages+=("${tests[@]}" "${capture[@]}" "${windows[@]}" "${web[@]}" "${package[@]}"
        "${check[@]}") ;;
    --check) packages+=("${check[@]}") ;;
    --capture) packages+=("${capture[@]}") ;;
    --windows) packages+=("${windows[@]}") ;;
    --web) packages+=("${web[@]}") ;;
    --package) packages+=("${package[@]}") ;;
    --fuzz) packages+=("${fuzz[@]}") ;;
    *) bad_usage "unknown option $option" ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
