#!/usr/bin/env bash
# Usage: scripts/release.sh
# Makes the whole release in dist/, each file by its own script:
#   zokk_<version>_<arch>.deb, zokk-<version>-linux-<cpu>.tar.gz    scripts/package.sh
#   zokk-win64.zip                                                 scripts/build-windows.sh
#   zokk.html                                                      scripts/build-web.sh
#   zokk.mp4                                                       scripts/capture.sh
# then SHA256SUMS and RELEASE.txt, and checks the sums. Where a file cannot be made, it says
# which and why, still tries the others, and fails without writing the sums or the text.
# The files are a function of the commit: made again from it, with the Debian packages that
# RELEASE.txt names, they are the same bytes wherever and whenever they are made.
#
# Usage: scripts/release.sh --check
# Makes the release, then makes it again elsewhere and compares (scripts/check-release.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" != --check ] || exec "$root/scripts/check-release.sh"
dist="$root/dist"
mkdir -p "$dist"
cd "$root"
# Every file's time is the commit's.
SOURCE_DATE_EPOCH=$("$root/scripts/source-date.sh")
export SOURCE_DATE_EPOCH

version=$(sed -n 's/^project(zokk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
deb="zokk_${version}_${arch}.deb"
tarball="zokk-$version-linux-$(dpkg-architecture -qDEB_HOST_GNU_CPU).tar.gz"
zip=zokk-win64.zip
page=zokk.html
video=zokk.mp4
files=("$deb" "$tarball" "$zip" "$page" "$video")
# Nothing of an earlier release may pass for a file of this one.
for f in "${files[@]}" SHA256SUMS RELEASE.txt; do
    rm -f "$dist/$f"
done

failed=()
make_with() { # SCRIPT [ARGS...]: runs one of the project's scripts; false with a reason
    if [ ! -x "$root/$1" ]; then
        failed+=("$1 does not exist")
        return 1
    fi
    if ! "$root/$@"; then
        failed+=("$1 failed")
        return 1
    fi
}
check_made() { # FILE SCRIPT
    [ -s "$dist/$1" ] || failed+=("$2 did not make dist/$1")
}

echo "release: the Debian package and the tarball"
if make_with scripts/package.sh; then
    check_made "$deb" scripts/package.sh
    check_made "$tarball" scripts/package.sh
fi
echo "release: the Windows zip"
make_with scripts/build-windows.sh && check_made "$zip" scripts/build-windows.sh
echo "release: the web page"
make_with scripts/build-web.sh "$dist" && check_made "$page" scripts/build-web.sh
echo "release: the video"
make_with scripts/capture.sh "$dist/$video" && check_made "$video" scripts/capture.sh

if [ ${#failed[@]} -gt 0 ]; then
    echo "release: incomplete, not made:" >&2
    printf '  %s\n' "${failed[@]}" >&2
    exit 1
fi

# What each file needs or brings, read from the files where they say it themselves.
depends=$(dpkg-deb -f "$dist/$deb" Depends)
listed() { # INDENT: the lines of standard input as one list, wrapped and indented
    awk 'NR > 1 { printf ", " } { printf "%s", $0 } END { print "" }' |
        fold -s -w $((90 - $1)) | sed "s/ *\$//; s/^/$(printf '%*s' "$1" '')/"
}
bundled=$(tar -tzf "$dist/$tarball" | sed -n 's|^[^/]*/lib/\(lib.*\.so\.[0-9]*\)$|\1|p' |
    listed 2)
about_video="recorded from the demo as it plays"
if command -v ffprobe >/dev/null; then
    probe() { # STREAM ENTRIES FORMAT
        ffprobe -v error -select_streams "$1" -show_entries "$2" -of "$3" "$dist/$video"
    }
    about_video="$about_video: $(probe v:0 stream=codec_name default=nw=1:nk=1) video,\
 $(probe v:0 stream=width,height csv=s=x:p=0),\
 $(printf '%.1f' "$(probe v:0 format=duration default=nw=1:nk=1)") s"
    audio=$(probe a:0 stream=codec_name default=nw=1:nk=1)
    [ -z "$audio" ] || about_video="$about_video, $audio sound"
fi

# What it takes to make the files again, as Debian's .buildinfo records it for a package: the
# commit, its time, and the versions of the Debian packages whose programs made each file and
# of the sources of the libraries that each file brings along.
commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
    commit="$commit
  and changes not committed, which no clone of it has"
made_by() { # FILE...: "package version" of the Debian packages that hold the files, wrapped
    local file package
    for file in "$@"; do
        file=$(readlink -f "$file")
        # Debian 12 registers the files of /bin and /lib there, not in /usr.
        package=$( (dpkg -S "$file" || dpkg -S "${file#/usr}") 2>/dev/null | head -n 1 |
            cut -d: -f1)
        if [ -n "$package" ]; then
            dpkg-query -W -f='${Package} ${Version}\n' "$package"
        else
            echo "$("$file" --version 2>&1 | head -n 1) (of no Debian package)"
        fi
    done | listed 4
}
tool() { command -v "$1"; }
library_of() { # PROGRAM LIBRARY: the library file the program loads
    ldd "$(tool "$1")" | awk -v l="$2" 'index($1, l) == 1 { print $3 }'
}
sources_of() { # TARGET
    "$root/scripts/build-libs.sh" "$1" --versions | listed 4
}
when=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')
rebuild=$(
    echo "- $deb and $tarball:"
    made_by "$(tool g++)" "$(tool ld)" "$(tool cmake)" "$(tool dh)" "$(tool dpkg-buildpackage)" \
        "$(tool patchelf)" "$(tool gzip)"
    echo "  the libraries in the tarball, from Debian's sources and the pinned archive:"
    sources_of linux
    echo "- $zip:"
    made_by "$(tool x86_64-w64-mingw32-g++-win32)" "$(tool x86_64-w64-mingw32-ld)" \
        /usr/x86_64-w64-mingw32/lib/crt2.o "$(tool zip)"
    echo "  its libraries, from Debian's sources and the pinned archive:"
    sources_of windows
    echo "- $page:"
    made_by "$(tool emcc)" "$(em-config LLVM_ROOT)/clang" \
        "$(em-config BINARYEN_ROOT)/bin/wasm-opt" "$(tool node)" "$(tool python3)"
    echo "  its libraries, from Debian's sources:"
    sources_of web
    echo "- $video (drawn by Mesa's software OpenGL on Xvfb, encoded by FFmpeg's libx264 and aac):"
    made_by "$(tool g++)" "$(tool Xvfb)" /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so \
        "$(tool ffmpeg)" "$(library_of ffmpeg libavcodec.so)" "$(library_of ffmpeg libx264.so)"
)

cat >"$dist/RELEASE.txt" <<TEXT
zokk $version

zokk is a self-running real-time graphics demo: it plays an Ogg Vorbis soundtrack and shows
four timed OpenGL scenes, 29.9 seconds in all, then exits. It is watched, not operated.

Keys: Escape ends the demo at once; f toggles between full screen and a window.

Files
- $deb
  Debian 12 (amd64) package. Install with: sudo apt install ./$deb
  Then start zokk from the menu (Games) or type zokk. Remove with: sudo apt remove zokk
  Needs: $depends
  Made by scripts/package.sh: a hardened Release build by dpkg-buildpackage from debian/
  (dh with its CMake build system), checked with lintian.
- $tarball
  For any current 64-bit Linux, nothing to install: one folder that plays wherever it is
  unpacked. tar xzf $tarball, then start zokk in the unpacked
  ${tarball%.tar.gz} folder (./zokk, or its full path from anywhere).
  Runs with the GNU C library 2.34 or later (Debian 12 and newer, Ubuntu 22.04 and newer),
  an OpenGL driver and an X11 or Wayland desktop; plays its sound through PipeWire,
  PulseAudio or ALSA, whichever there is. It brings the libraries a desktop may lack in
  its lib/ folder:
$bundled
  Made by scripts/package.sh from the same sources as the package, with the C++ runtime
  linked in and the libraries built from Debian's source packages; tested in Debian 12 and
  Debian 13 systems that have none of them.
- $zip
  Windows (64-bit) with OpenGL: unzip it and double-click zokk.exe in the unpacked
  zokk-win64 folder. It runs full-screen at the desktop's own resolution, the picture
  scaled to fit, and f toggles a 640 x 480 window, as on Linux. Its output goes to
  stdout.txt and stderr.txt beside zokk.exe, each removed at exit when empty.
  Made by scripts/build-windows.sh, cross-compiled with MinGW-w64 against the SDL 1.2
  compatibility layer over SDL2, SDL_mixer, libvorbis, libogg, libpng and zlib, built from
  Debian's source packages (the compatibility layer from its pinned upstream archive).
- $page
  The show as one web page, for Chromium, Chrome or Firefox with WebGL: open it from the
  disk (a double-click), click, and it plays; no server and no network needed. Escape ends
  it, also in full-screen.
  Made by scripts/build-web.sh: the same C++ built with Emscripten, the data inside.
- $video
  The whole show as a video, $about_video.
  Made by scripts/capture.sh.
- SHA256SUMS
  Check the files with: sha256sum -c SHA256SUMS

Every asset (the music, the pictures, the meshes and the icons) is made by the project's own
generators from its source.

Making the same files again
Commit: $commit
SOURCE_DATE_EPOCH: $SOURCE_DATE_EPOCH ($when)
  the commit's time, which every file has
scripts/release.sh in a clone of that commit, on Debian 12 (amd64) with the versions of
these Debian packages, makes the same bytes in any folder, at any time, in any time zone
and locale; scripts/release.sh --check shows it. Its programs came from:
$rebuild
TEXT

(cd "$dist" && sha256sum "${files[@]}" RELEASE.txt >SHA256SUMS && sha256sum -c SHA256SUMS)
echo "release: dist/ holds zokk $version"
