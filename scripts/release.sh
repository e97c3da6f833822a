#!/usr/bin/env bash
# Usage: scripts/release.sh
# Makes the whole release in dist/, each file by its own script:
#   zokk_<version>_<arch>.deb, zokk-<version>-linux-<cpu>.tar.gz    scripts/package.sh
#   zokk-win64.zip                                                 scripts/build-windows.sh
#   zokk.html                                                      scripts/build-web.sh
#   zokk.mp4                                                       scripts/capture.sh
# then SHA256SUMS and RELEASE.txt (its words from packaging/RELEASE.txt.in), and checks the
# sums. Where a file cannot be made, it says which and why, still tries the others, and fails
# without writing the sums or the text.
# The files are a function of the commit: made again from it, with the Debian packages that
# RELEASE.txt names, they are the same bytes wherever and whenever they are made;
# scripts/check-release.sh shows it.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
no_arguments "$@"
dist="$root/dist"
mkdir -p "$dist"
cd "$root"
# Every file's time is the commit's.
SOURCE_DATE_EPOCH=$("$root/scripts/source-date.sh")
export SOURCE_DATE_EPOCH

release_names
files=("$deb" "$tarball" "$zip" "$page" "$video")
# Nothing of an earlier release may pass for a file of this one.
for f in "${files[@]}" SHA256SUMS RELEASE.txt; do
    rm -f "$dist/$f"
done

failed=()
# Makes FILES in dist/ with one of the project's scripts, given after --. Each file the script
# could not make is named, with why: the script is missing, it failed (and what it made of
# them is removed, as a failed step's files cannot be trusted), or it ended well without
# making the file.
make_files() { # FILE... -- SCRIPT [ARGS...]
    local files=() script why="" file
    while [ "$1" != -- ]; do
        files+=("$1")
        shift
    done
    script=$2
    shift 2
    if [ ! -x "$root/$script" ]; then
        why="$script does not exist"
    elif ! "$root/$script" "$@"; then
        why="$script failed"
    fi
    for file in "${files[@]}"; do
        if [ -n "$why" ]; then
            rm -f "$dist/$file"
            failed+=("dist/$file ($why)")
        elif [ ! -s "$dist/$file" ]; then
            failed+=("dist/$file ($script ended without making it)")
        fi
    done
}

echo "release: the Debian package and the tarball"
make_files "$deb" "$tarball" -- scripts/package.sh
echo "release: the Windows zip"
make_files "$zip" -- scripts/build-windows.sh
echo "release: the web page"
make_files "$page" -- scripts/build-web.sh "$dist"
echo "release: the video"
make_files "$video" -- scripts/capture.sh "$dist/$video"

if [ ${#failed[@]} -gt 0 ]; then
    echo "release: incomplete, without SHA256SUMS and RELEASE.txt; not made:" >&2
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
# Fills a template as configure_file(@ONLY) fills the manual page: each @NAME@ becomes the
# VALUE given as NAME=VALUE. A marker given no value, or a value whose marker the template
# lacks, fails it, so that the words and this script cannot drift apart.
fill() { # TEMPLATE NAME=VALUE...
    local template=$1 text pair name
    text=$(<"$template")
    shift
    for pair in "$@"; do
        name=${pair%%=*}
        [[ "$text" == *"@$name@"* ]] || { echo "release: $template has no @$name@" >&2; return 1; }
        text=${text//"@$name@"/"${pair#*=}"}
    done
    if [[ "$text" =~ @[A-Z_]+@ ]]; then
        echo "release: $template: ${BASH_REMATCH[0]} is given no value" >&2
        return 1
    fi
    printf '%s\n' "$text"
}
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

fill packaging/RELEASE.txt.in PROJECT_VERSION="$version" DEB="$deb" TARBALL="$tarball" \
    TARBALL_FOLDER="$tarball_folder" ZIP="$zip" PAGE="$page" VIDEO="$video" DEPENDS="$depends" \
    BUNDLED="$bundled" ABOUT_VIDEO="$about_video" COMMIT="$commit" \
    SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" WHEN="$when" REBUILD="$rebuild" >"$dist/RELEASE.txt" ||
    { rm -f "$dist/RELEASE.txt"; exit 1; }

(cd "$dist" && sha256sum "${files[@]}" RELEASE.txt >SHA256SUMS && sha256sum -c SHA256SUMS)
echo "release: dist/ holds zokk $version"
