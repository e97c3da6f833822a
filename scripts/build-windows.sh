#!/usr/bin/env bash
# Usage: scripts/build-windows.sh
# Cross-compiles zokk for 64-bit Windows and makes dist/zokk-win64.zip: one folder holding
# zokk.exe, the DLLs it loads, data/ and readme.txt. The libraries come from
# "scripts/build-libs.sh windows" (built once, then taken from its cache; the SDL 1.2
# compatibility layer's source comes from the folder that ZOKK_SOURCES names); zokk itself is
# built from the same CMakeLists as on Linux, in build-windows/.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
no_arguments "$@"
"$root/scripts/install-deps.sh" --windows
release_names
# The time of the commit, for the link and strip (the PE files' time stamps) and the zip.
SOURCE_DATE_EPOCH=$("$root/scripts/source-date.sh")
export SOURCE_DATE_EPOCH
build="$root/build-windows"
prefix=$("$root/scripts/build-libs.sh" windows --for "$build")
(cd "$root" && cmake --preset windows -DZOKK_DEPS_PREFIX="$prefix" >/dev/null &&
    cmake --build --preset windows -j"$jobs")

name=${zip%.zip}
stage="$build/stage/$name"
rm -rf "$build/stage"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/zokk.exe" "$build/zokk.exe"
cp -r "$root/data" "$stage/data"

# The DLLs are whatever the executable imports from the prefix, and what those import in
# turn. SDL.dll, the SDL 1.2 API, loads SDL2.dll when SDL starts, so no import table names
# that one.
"$root/scripts/ship-libs.sh" windows "$prefix" "$stage" "$stage/zokk.exe" "$prefix/bin/SDL2.dll"

# Notepad wants CRLF line ends.
sed 's/$/\r/' >"$stage/readme.txt" <<'EOF'
zokk - a self-running real-time demo for 64-bit Windows

zokk plays its music and shows four OpenGL scenes, 29.9 seconds in all, then ends by itself.
Start it with a double-click on zokk.exe, in this folder: it reads its music and pictures
from the data folder beside it.

Keys while it runs:
  Escape  ends the demo at once
  f       toggles between full-screen and a window

It needs OpenGL (any graphics driver of the last twenty years has it). It plays full-screen
without changing the display's resolution: its 640 x 480 picture is scaled to fit the
screen, with black bars where the shapes differ. f switches to a 640 x 480 window and back.
What it writes for the curious (frame rates per scene) ends up in stdout.txt beside
zokk.exe, any error in stderr.txt.
EOF

# The zip holds nothing of the machine or the moment it was made on: every entry has the
# commit's time (which zip keeps as local time, hence UTC), the same modes whatever the umask,
# no owner (-X), and the entries are in the order of their names.
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage"/*.exe "$stage"/*.dll
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
mkdir -p "$root/dist"
rm -f "$root/dist/$zip"
(cd "$build/stage" && find "$name" | LC_ALL=C sort |
    TZ=UTC0 zip -q -X -9 "$root/dist/$zip" -@)
echo "$root/dist/$zip"
