#!/usr/bin/env bash
# Usage: web/build-libs.sh PREFIX
# Builds zlib and libpng for WebAssembly from Debian's source packages into PREFIX (include/ and
# lib/). Emscripten's own ports of both would download their sources, which cannot work here.
# A PREFIX that already holds both libraries is left as it is.
set -euo pipefail
# emcc's optimiser runs on node and needs Debian's node modules (acorn) on its path.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:?usage: build-libs.sh PREFIX}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
[ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/lib/libz.a" ] && exit 0

sources="$prefix/sources"
"$root/scripts/debian-source.sh" "$sources" zlib libpng1.6 >/dev/null
work="$prefix/work"
rm -rf "$work"
mkdir -p "$work"

cp -a "$sources/zlib/tree" "$work/zlib"
(cd "$work/zlib" && CFLAGS=-O2 emconfigure ./configure --static --prefix="$prefix" >/dev/null &&
    emmake make -j2 libz.a >/dev/null)
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/zlib/libz.a" "$prefix/lib/"
cp "$work/zlib/zlib.h" "$work/zlib/zconf.h" "$prefix/include/"

cp -a "$sources/libpng1.6/tree" "$work/libpng"
(cd "$work/libpng" &&
    CFLAGS=-O2 CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" \
        emconfigure ./configure --host=wasm32-unknown-emscripten --disable-shared \
        --enable-static --prefix="$prefix" >/dev/null &&
    emmake make -j2 libpng16.la >/dev/null &&
    emmake make install-libLTLIBRARIES install-nodist_pkgincludeHEADERS \
        install-pkgincludeHEADERS install-header-links install-library-links >/dev/null)
rm -rf "$work"
