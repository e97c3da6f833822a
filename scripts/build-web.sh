#!/usr/bin/env bash
# Usage: scripts/build-web.sh [DIR]
# Builds the demo for browsers into DIR (default dist): DIR/zokk.html, the whole page in one
# file that plays when opened from the disk, and DIR/web/, the same page as static files for a
# server (index.html, zokk.js and zokk.wasm, data.js and data.data, the packed data/).
# zlib and libpng are built once for WebAssembly by "scripts/build-libs.sh web" and kept in its
# cache. The build tree is build-web/, or $ZOKK_WEB_BUILD.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
answer_help "$@"
[[ "${1:-}" != -* ]] || bad_usage "unknown option $1"
[ $# -le 1 ] || bad_usage "one folder only, not $*"
dir=${1:-$root/dist}
"$root/scripts/install-deps.sh" --web
release_names
mkdir -p "$dir/web"
dir=$(cd "$dir" && pwd)

# emcc's optimiser runs on node and needs Debian's node modules (acorn) on its path.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
build=${ZOKK_WEB_BUILD:-$root/build-web}
prefix=$("$root/scripts/build-libs.sh" web --for "$build")
(cd "$root" && cmake --preset web -B "$build" -DZOKK_WEB_PREFIX="$prefix" \
    -DZOKK_WEB_OUT="$dir/web" -DZOKK_WEB_SINGLE="$dir/$page") >/dev/null
cmake --build "$build" -j"$jobs"
echo "build-web: $dir/$page ($(du -k "$dir/$page" | cut -f1) KiB)," \
    "and the page for servers in $dir/web ($(du -sk "$dir/web" | cut -f1) KiB)"
