#!/usr/bin/env bash
# Usage: scripts/build-libs.sh TARGET [--for BUILD-DIR | --versions]
# Builds the libraries zokk runs on (zlib, libpng, libogg, libvorbis, SDL2, the SDL 1.2
# compatibility layer over it, and SDL_mixer 1.2 with Ogg Vorbis alone), or those of them that
# TARGET needs, from Debian's own source packages (the versions this release ships) and, for the
# compatibility layer, which the mirror does not serve, the upstream archive that
# scripts/debian-source.sh pins (from the folder that ZOKK_SOURCES names). Prints the install
# prefix: headers in include/, import libraries and pkg-config files in lib/, DLLs in bin/
# (shared libraries in lib/ on Linux), each package's licence in share/licenses/<package>/.
# scripts/ship-libs.sh copies from it what a program needs beside it.
#   --for BUILD-DIR  readies the CMake build folder that is to take the libraries: CMake keeps
#                    pkg-config's answers, so a folder configured with another prefix starts
#                    afresh.
#   --versions       prints the sources' versions, "<package> <version>" a line, and nothing
#                    else (fetching what is not yet unpacked, building nothing).
#
# Targets:
#   windows  64-bit Windows, cross-compiled with MinGW-w64 (cmake/mingw-w64-x86_64.cmake)
#   linux    this machine (the portable tarball), with SDL2's video and sound back ends
#            loaded at run time: its build finds their headers among the system's, so that
#            it supports all of them, and its library needs none of them to load
#   web      zlib and libpng, static, for WebAssembly with Emscripten (the web preset)
#   fuzz     libpng alone, static, with the fuzz preset's instrumentation: clang, libFuzzer's
#            coverage and the sanitizers (tests/fuzz/run-fuzz.sh)
#
# Every library is built by the same steps for every target; a target only names its compilers
# and the few things that differ (the target_* functions below). Everything lives under
# ~/.cache/zokk/libs (or $ZOKK_LIBS_CACHE): the unpacked sources in sources/, shared by all
# targets, and each finished prefix in <target>-<key>, the key a hash of the source versions
# and of the recipe (this script and the target's toolchain file). A complete prefix is reused
# as it is; a change of version or recipe builds a new one beside it.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"

answer_help "$@"
[ $# -gt 0 ] || bad_usage "no target"
[[ "$1" != -* ]] || bad_usage "the target comes first, not $1"
target=$1
shift
for_dir="" versions_only=0
while [ $# -gt 0 ]; do
    case "$1" in
    --for)
        [ $# -ge 2 ] || bad_usage "--for needs a build folder"
        for_dir=$2
        [[ "$for_dir" = /* ]] || for_dir="$PWD/$for_dir"
        shift
        ;;
    --versions) versions_only=1 ;;
    *) bad_usage "unknown option $1" ;;
    esac
    shift
done
[ -z "$for_dir" ] || [ "$versions_only" = 0 ] || bad_usage "--for and --versions exclude each other"

# What a target defines:
#   libraries       the source packages it needs, in build order (all of them by default)
#   cc              the C compiler
#   configure_host  autotools' options naming the host
#   link            autotools' options choosing shared or static libraries
#   recipe_files    files besides this script whose change changes the build
#   system_pc       pkg-config folders of the system's own that the builds may use too
#   CFLAGS/LDFLAGS  the flags every library is built with
#   target_cmake    prints CMake's options for the target, one a line
#   target_zlib     links zlib's objects in the current folder into the target's library
#   target_configured  adjusts an autotools package's tree once it is configured
#   target_finish   whatever the target adds once all libraries are installed
libraries=(zlib libpng1.6 libogg libvorbis libsdl2 sdl12-compat sdl-mixer1.2)
link=(--enable-shared --disable-static)
target_cmake() { :; }
target_configured() { :; }
target_finish() { :; }
case "$target" in
windows)
    host=x86_64-w64-mingw32
    # The win32 thread model: the C++ runtime then needs no winpthread DLL.
    cc=$host-gcc-win32
    configure_host=(--host=$host)
    toolchain="$root/cmake/mingw-w64-x86_64.cmake"
    recipe_files=("$toolchain")
    export CFLAGS="-O2"
    # No time stamp in the DLLs: the same recipe builds the same bytes.
    export LDFLAGS="-static-libgcc -Wl,--no-insert-timestamp"
    target_cmake() {
        printf '%s\n' -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZOKK_DEPS_PREFIX="$prefix"
    }
    # zlib1.dll, the name zlib's own Windows build gives it.
    # Linked under its bare name: the linker derives the DLL's image base from the name it
    # writes, which would otherwise be the prefix's path.
    target_zlib() {
        $cc -shared -static-libgcc -Wl,--no-insert-timestamp -o zlib1.dll ./*.o \
            -Wl,--out-implib,libz.dll.a
        cp zlib1.dll "$prefix/bin/"
        cp libz.dll.a "$prefix/lib/"
    }
    # OpenGL 1.1 and GLU are Windows' own opengl32.dll and glu32.dll, described for
    # pkg-config as the Linux build finds its gl and glu.
    target_finish() {
        local lib
        for lib in gl:opengl32 glu:glu32; do
            printf 'Name: %s\nDescription: the system %s.dll\nVersion: 1.1\nLibs: -l%s\nCflags:\n' \
                "${lib%%:*}" "${lib#*:}" "${lib#*:}" >"$prefix/lib/pkgconfig/${lib%%:*}.pc"
        done
    }
    ;;
linux)
    cc=gcc
    configure_host=()
    recipe_files=()
    export CFLAGS="-O2 -fPIC"
    export LDFLAGS=""
    # SDL2 looks for its back ends' headers (Wayland, PipeWire, PulseAudio, ALSA...) through
    # pkg-config; install-deps.sh --package installs them. The libraries built here come
    # first, by their place in the search path.
    system_pc=$(pkg-config --variable pc_path pkg-config)
    # libz.so.1, with zlib's own symbol versions as every distribution's zlib has them.
    target_zlib() {
        local version
        version=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' zlib.h)
        $cc -shared -Wl,-soname,libz.so.1 -Wl,--version-script,zlib.map \
            -o "$prefix/lib/libz.so.$version" ./*.o
        ln -sf "libz.so.$version" "$prefix/lib/libz.so.1"
        ln -sf libz.so.1 "$prefix/lib/libz.so"
    }
    # No run path in the libraries: libtool would write the prefix's folder into each that
    # needs another of them, and that path's length would shape the whole file, so that the
    # bytes shipped would depend on where the cache is. ship-libs.sh gives each library the
    # run path it ships with; whatever links them in place names the prefix's lib/ itself.
    target_configured() {
        sed -i -e 's/^hardcode_libdir_flag_spec=.*/hardcode_libdir_flag_spec=""/' \
            -e 's/^runpath_var=LD_RUN_PATH$/runpath_var=ZOKK_NO_RUN_PATH/' libtool
    }
    ;;
web)
    libraries=(zlib libpng1.6)
    cc=emcc
    configure_host=(--host=wasm32-unknown-emscripten AR=emar RANLIB=emranlib)
    link=(--disable-shared --enable-static)
    recipe_files=()
    # zlib's gz* functions call lseek(), which only unistd.h declares here.
    export CFLAGS="-O2 -DHAVE_UNISTD_H"
    export LDFLAGS=""
    # emcc's optimiser runs on node and needs Debian's node modules (acorn) on its path.
    export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
    target_zlib() { emar rcs "$prefix/lib/libz.a" ./*.o; }
    ;;
fuzz)
    # zlib is the system's.
    libraries=(libpng1.6)
    cc=clang
    configure_host=()
    link=(--disable-shared --enable-static)
    recipe_files=()
    export CFLAGS="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link"
    CFLAGS+=" -fsanitize=address,undefined -fno-sanitize-recover=undefined"
    export LDFLAGS="-fsanitize=address,undefined"
    ;;
*) bad_usage "unknown target $target (known: windows, linux, web, fuzz)" ;;
esac

# The sources are shared by all targets: one fetch at a time. Then one build at a time for
# each target, which another run of the same waits for and reuses.
mkdir -p "$libs_cache"
sources="$libs_cache/sources"
exec 9>"$libs_cache/sources.lock"
flock 9
versions=$("$root/scripts/debian-source.sh" "$sources" "${libraries[@]}")
if [ "$versions_only" = 1 ]; then
    echo "$versions"
    exit 0
fi
exec 9>"$libs_cache/$target.lock"
flock 9
key=$({
    echo "$target"
    echo "$versions"
    cat "$0" "${recipe_files[@]}"
} | sha256sum | cut -c1-16)
prefix="$libs_cache/$target-$key"

# Once the prefix is complete: the build folder readied, then the prefix printed.
use_prefix() {
    if [ -n "$for_dir" ] && [ "$(cat "$for_dir/libs-prefix" 2>/dev/null)" != "$prefix" ]; then
        mkdir -p "$for_dir"
        rm -f "$for_dir/CMakeCache.txt"
        echo "$prefix" >"$for_dir/libs-prefix"
    fi
    echo "$prefix"
    exit 0
}
[ ! -f "$prefix/complete" ] || use_prefix
mapfile -t cmake_target < <(target_cmake)

echo "build-libs: building for $target into $prefix:" >&2
echo "$versions" | sed 's/^/  /' >&2
work="$libs_cache/work-$target-$key"
rm -rf "$work" "$prefix"
# No path of this machine in what is built: the names of the sources (which SDL's assertions
# keep, and the debug information) and of the prefix start at the cache, wherever it is.
export CFLAGS="$CFLAGS -ffile-prefix-map=$libs_cache/="
mkdir -p "$work" "$prefix/bin" "$prefix/include" "$prefix/lib/pkgconfig"

# Every build finds the prefix's headers, libraries and pkg-config files, and nothing else
# but the target's system_pc.
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig${system_pc:+:$system_pc}"
export PKG_CONFIG_PATH=""
export CPPFLAGS="-I$prefix/include"
export LDFLAGS="-L$prefix/lib $LDFLAGS"

# Copies a package's tree into the work folder and enters it. Its licence goes into the
# prefix: Debian's copyright file, or upstream's licence where the tree is upstream's.
enter() {
    echo "build-libs: $1 ($SECONDS s)" >&2
    cp -a "$sources/$1/tree" "$work/$1"
    cd "$work/$1"
    local licence
    for licence in debian/copyright LICENSE.txt; do
        [ -f "$licence" ] && break
    done
    mkdir -p "$prefix/share/licenses/$1"
    cp "$licence" "$prefix/share/licenses/$1/"
    # The build dates itself (__DATE__ in the compatibility layer's version string) by the
    # source's own date, Debian's changelog entry or the newest file of an upstream archive,
    # so that a prefix is a function of its key, not of the commit whose release built it first.
    if [ -f debian/changelog ]; then
        SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -S Timestamp)
    else
        SOURCE_DATE_EPOCH=$(find . -type f -printf '%T@\n' | sort -n | tail -n 1 | cut -d. -f1)
    fi
    export SOURCE_DATE_EPOCH
}

# Runs a build command with its output in build.log, shown only when it fails.
step() {
    if ! "$@" >>build.log 2>&1; then
        tail -n 40 build.log >&2
        echo "build-libs: $(basename "$PWD") failed in: $* (log: $PWD/build.log)" >&2
        exit 1
    fi
}

# Configures, builds and installs an autotools package with make's targets $install (all of it
# by default). No package may regenerate its configure script or makefiles: the trees carry
# the generated ones.
install=install
autotools() {
    step ./configure "${configure_host[@]}" --prefix="$prefix" CC="$cc" "${link[@]}" "$@"
    step target_configured
    step make -j"$jobs" ACLOCAL=true AUTOCONF=true AUTOMAKE=true AUTOHEADER=true \
        MAKEINFO=true $install
}

# Configures, builds and installs a CMake package in the current tree.
cmake_package() {
    step cmake -B build "${cmake_target[@]}" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
    step cmake --build build -j"$jobs"
    step cmake --install build
}

for library in "${libraries[@]}"; do
    enter "$library"
    case "$library" in
    # zlib: a handful of C files with no configuration, compiled here directly (Debian's tree
    # has no Windows makefile); the target links them.
    zlib)
        for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
            inflate inftrees trees uncompr zutil; do
            step $cc $CFLAGS -c "$c.c" -o "$c.o"
        done
        step target_zlib
        cp zlib.h zconf.h "$prefix/include/"
        version=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' zlib.h)
        printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib compression library\nVersion: %s\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
            "$prefix" "$version" >"$prefix/lib/pkgconfig/zlib.pc"
        ;;
    libpng1.6) autotools --disable-tests --disable-tools ;;
    libogg) autotools ;;
    libvorbis) autotools --disable-docs --disable-examples --disable-oggtest ;;
    # SDL2 with its default drivers (the disk audio driver among them, which the tests use).
    libsdl2)
        cmake_package -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
            -DSDL2_DISABLE_UNINSTALL=ON -DSDL_CCACHE=OFF
        ;;
    # The SDL 1.2 API over SDL2, which it loads at run time. Its Windows entry wrapper (SDLmain)
    # is classic SDL 1.2's: it writes standard output and error to stdout.txt and stderr.txt
    # beside the executable and removes either at exit when it stayed empty.
    sdl12-compat)
        cmake_package -DSDL12TESTS=OFF -DSDL2_INCLUDE_DIR="$prefix/include/SDL2"
        # Programs and SDL_mixer ask pkg-config for "sdl", as on Debian.
        cp "$prefix/lib/pkgconfig/sdl12_compat.pc" "$prefix/lib/pkgconfig/sdl.pc"
        ;;
    # SDL_mixer with Ogg Vorbis alone, linked against libvorbisfile rather than loading it at run
    # time, so that the import tables name every library it needs. Its two example players are
    # left out: libtool puts SDLmain in the wrong place on their link lines.
    sdl-mixer1.2)
        install="install-hdrs install-lib"
        autotools --with-sdl-prefix="$prefix" --disable-sdltest --disable-smpegtest \
            --disable-music-cmd --disable-music-mod --disable-music-midi --disable-music-flac \
            --disable-music-mp3 --disable-music-mp3-mad-gpl --enable-music-ogg \
            --disable-music-ogg-shared
        ;;
    esac
done

target_finish

cd "$libs_cache"
rm -rf "$work"
touch "$prefix/complete"
echo "build-libs: done in $SECONDS s" >&2
use_prefix
