#!/usr/bin/env bash
# Usage: tests/fuzz/run-fuzz.sh SECONDS
# Builds the PNG loader's fuzz target with the fuzz preset (clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) in build-fuzz/ and runs it for SECONDS
# seconds. The corpus grows in build-fuzz/corpus (seeded by make_seeds); a crashing input is
# saved under build-fuzz/artifacts/ and makes the script fail. The loader's own error lines are
# muted.
#
# libpng is compiled in with the same instrumentation from Debian's source package, fetched
# once into build-fuzz/sources by scripts/debian-source.sh (from the mirror this machine's apt
# already uses, through a source list private to the build; nothing in /etc is changed). When
# that cannot be had, the system's libpng is linked instead and only the loader's own code
# guides the fuzzer; the script says so.
set -euo pipefail
seconds=${1:?usage: run-fuzz.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
"$root/scripts/install-deps.sh" --fuzz
build=${ZOKK_FUZZ_BUILD:-$root/build-fuzz}
mkdir -p "$build/corpus" "$build/seeds" "$build/artifacts"

fetch_libpng() {
    "$root/scripts/debian-source.sh" "$build/sources" libpng1.6 >/dev/null &&
        rm -rf "$build/libpng" && mkdir -p "$build/libpng" &&
        ln -s "$build/sources/libpng1.6/tree" "$build/libpng/tree"
}

libpng_source=""
if [ -f "$build/libpng/tree/png.c" ] || fetch_libpng; then
    libpng_source="$build/libpng/tree"
else
    echo "run-fuzz: libpng source not available; fuzzing against the system's libpng" >&2
fi

# A tree configured from another source folder (tests/fuzz/ was a project of its own) starts
# afresh.
grep -qsx "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$build/CMakeCache.txt" || rm -f "$build/CMakeCache.txt"
(cd "$root" && cmake --preset fuzz -B "$build" -DZOKK_LIBPNG_SOURCE="$libpng_source") >/dev/null
cmake --build "$build" -j2 --target fuzz_PNGImage make_seeds
"$build/tests/fuzz/make_seeds" "$build/seeds"

"$build/tests/fuzz/fuzz_PNGImage" -max_total_time="$seconds" -close_fd_mask=2 -print_final_stats=1 \
    -dict="$here/png.dict" -max_len=4096 -rss_limit_mb=4096 \
    -artifact_prefix="$build/artifacts/" "$build/corpus" "$build/seeds"
