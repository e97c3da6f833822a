#!/usr/bin/env bash
# Usage: scripts/windows-deps.sh
# Cross-compiles zokk's libraries for 64-bit Windows with MinGW-w64, from Debian's own source
# packages (the versions this release ships), and prints the install prefix that holds them:
# DLLs in bin/, headers in include/, import libraries and pkg-config files in lib/.
#
# Everything lives under ~/.cache/zokk/windows (or $ZOKK_WINDOWS_CACHE): the unpacked sources
# in sources/, each finished prefix in a folder named after a hash of the source versions and
# of this script. A prefix that is complete is reused as it is; a change of version or of this
# script builds a new one beside it.
#
# The SDL 1.2 API comes from Debian's classic libsdl1.2 source: its Windows entry wrapper
# (SDLmain) redirects standard output and error to stdout.txt and stderr.txt and deletes
# either at exit when it stayed empty, as the demo expects of SDL on Windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZOKK_WINDOWS_CACHE:-$HOME/.cache/zokk/windows}
jobs=${ZOKK_JOBS:-2}
host=x86_64-w64-mingw32
# The win32 thread model: the C++ runtime then needs no winpthread DLL.
cc=$host-gcc-win32

sources="$cache/sources"
versions=$("$root/scripts/debian-source.sh" "$sources" \
    zlib libpng1.6 libogg libvorbis libsdl1.2 sdl-mixer1.2)
key=$({
    echo "$versions"
    cat "$0"
} | sha256sum | cut -c1-16)
prefix="$cache/$key"
if [ -f "$prefix/complete" ]; then
    echo "$prefix"
    exit 0
fi

echo "windows-deps: building into $prefix:" >&2
echo "$versions" | sed 's/^/  /' >&2
work="$cache/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix/bin" "$prefix/include" "$prefix/lib/pkgconfig"

# Autotools builds get the prefix's headers and libraries; none may regenerate its own
# configure script or makefiles (the source trees already carry Debian's generated ones).
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
export CPPFLAGS="-I$prefix/include"
export LDFLAGS="-L$prefix/lib -static-libgcc"
export CFLAGS="-O2"
noregen=(ACLOCAL=true AUTOCONF=true AUTOMAKE=true AUTOHEADER=true MAKEINFO=true)

# Copies a package's tree into the work folder and enters it.
enter() {
    echo "windows-deps: $1 ($SECONDS s)" >&2
    cp -a "$sources/$1/tree" "$work/$1"
    cd "$work/$1"
}

# Configures, builds and installs the current package with make's targets $install (all of
# it by default); the output goes to build.log, shown only when a step fails.
install=install
autotools() {
    if ! {
        ./configure --host=$host --prefix="$prefix" CC=$cc --enable-shared --disable-static "$@" &&
            make -j"$jobs" "${noregen[@]}" $install
    } >build.log 2>&1; then
        tail -n 40 build.log >&2
        echo "windows-deps: building $(basename "$PWD") failed (log: $PWD/build.log)" >&2
        exit 1
    fi
}

# zlib: Debian's tree has no Windows makefile, and the library is a handful of C files with
# no configuration, so it is compiled here directly into zlib1.dll, the name zlib's own
# Windows build gives it.
enter zlib
for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
    inftrees trees uncompr zutil; do
    $cc $CFLAGS -c "$c.c" -o "$c.o"
done
$cc -shared -static-libgcc -o "$prefix/bin/zlib1.dll" ./*.o -Wl,--out-implib,"$prefix/lib/libz.dll.a"
cp zlib.h zconf.h "$prefix/include/"
version=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' zlib.h)
printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib compression library\nVersion: %s\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
    "$prefix" "$version" >"$prefix/lib/pkgconfig/zlib.pc"

enter libpng1.6
autotools --disable-tests --disable-tools

enter libogg
autotools

enter libvorbis
autotools --disable-docs --disable-examples --disable-oggtest

enter libsdl1.2
# Debian cuts SDL's link flags in sdl-config and sdl.pc down to -lSDL, which suits Linux; on
# Windows they carry the entry wrapper (-lmingw32 -lSDLmain -mwindows), so that change is
# undone here.
patch -s -R -p1 <debian/patches/dont_propagate_lpthread.diff
autotools --disable-rpath --disable-nasm

# SDL_mixer with Ogg Vorbis alone, linked against libvorbisfile rather than loading it at run
# time, so that the executable's import table names every DLL it needs. Its two example
# players are left out: libtool puts SDLmain in the wrong place on their link lines.
enter sdl-mixer1.2
install="install-hdrs install-lib"
autotools --with-sdl-prefix="$prefix" --disable-sdltest --disable-smpegtest \
    --disable-music-cmd --disable-music-mod --disable-music-midi --disable-music-flac \
    --disable-music-mp3 --disable-music-mp3-mad-gpl --enable-music-ogg \
    --disable-music-ogg-shared

# OpenGL 1.1 and GLU are Windows' own opengl32.dll and glu32.dll, described here for
# pkg-config as the Linux build finds its gl and glu.
for lib in gl:opengl32 glu:glu32; do
    printf 'Name: %s\nDescription: the system %s.dll\nVersion: 1.1\nLibs: -l%s\nCflags:\n' \
        "${lib%%:*}" "${lib#*:}" "${lib#*:}" >"$prefix/lib/pkgconfig/${lib%%:*}.pc"
done

cd "$cache"
rm -rf "$work"
touch "$prefix/complete"
echo "$prefix"
