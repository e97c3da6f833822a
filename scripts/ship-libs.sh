#!/usr/bin/env bash
# Usage: scripts/ship-libs.sh TARGET PREFIX DEST FILE...
# Copies each FILE into the folder DEST, where it is not yet, and beside them every library of
# PREFIX (what "scripts/build-libs.sh TARGET" printed) that they need, directly or through
# each other, made ready to ship: stripped and, on Linux, finding the others beside itself
# through its run path. A FILE that is in DEST already (a program installed there) stays as
# it is. The Windows zip and the portable tarball get their libraries so.
#
# Targets:
#   windows  DLLs from PREFIX/bin, found in the import tables (Windows' own are left to it)
#   linux    shared libraries from PREFIX/lib, found in the NEEDED entries
set -euo pipefail
. "$(dirname "$0")/prelude.sh"

answer_help "$@"
[ $# -ge 4 ] || bad_usage "needs a target, a prefix, a folder and at least one file"
target=$1 prefix=$2 dest=$3
shift 3

# What a target defines:
#   needs     prints the libraries a file names as needed
#   ship      copies a library from the prefix to where it ships
#   ship_dir  the prefix's folder of the libraries that ship
case "$target" in
windows)
    host=x86_64-w64-mingw32
    needs() { $host-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'; }
    # strip gives what it writes the time of SOURCE_DATE_EPOCH, or of now when that is not
    # set: without one, none (as the prefix's DLLs have).
    ship() {
        SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-0} $host-strip --strip-unneeded -o "$2" "$1"
    }
    ship_dir=bin
    ;;
linux)
    needs() { objdump -p "$1" | awk '$1 == "NEEDED" { print $2 }'; }
    ship() {
        strip --strip-unneeded -o "$2" "$(readlink -f "$1")"
        patchelf --set-rpath '$ORIGIN' "$2"
        chmod 0644 "$2"
    }
    ship_dir=lib
    ;;
*) bad_usage "unknown target $target (known: windows, linux)" ;;
esac
[ -d "$prefix/$ship_dir" ] || bad_usage "$prefix has no $ship_dir/: not a prefix of build-libs.sh"
[ -d "$dest" ] || bad_usage "$dest is not a folder"
for file in "$@"; do
    [ -f "$file" ] || bad_usage "$file is not a file"
done

pending=("$@")
while [ ${#pending[@]} -gt 0 ]; do
    file=${pending[0]} name=$(basename "${pending[0]}")
    pending=("${pending[@]:1}")
    if [ "$file" != "$dest/$name" ]; then
        [ ! -e "$dest/$name" ] || continue
        ship "$file" "$dest/$name"
    fi
    for lib in $(needs "$dest/$name"); do
        [ ! -f "$prefix/$ship_dir/$lib" ] || pending+=("$prefix/$ship_dir/$lib")
    done
done
