#!/usr/bin/env bash
# Usage: tests/fuzz/run-fuzz.sh SECONDS
# Builds the PNG loader's fuzz target with the fuzz preset (clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) in build-fuzz/ and runs it for SECONDS
# seconds. The corpus grows in build-fuzz/corpus (seeded by make_seeds); a crashing input is
# saved under build-fuzz/artifacts/ and makes the script fail. The loader's own error lines are
# muted.
#
# libpng is linked in, built with the same instrumentation by "scripts/build-libs.sh fuzz"
# from Debian's source package. When that cannot be had, the system's libpng is linked instead
# and only the loader's own code guides the fuzzer; the script says so.
set -euo pipefail
seconds=${1:?usage: run-fuzz.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
"$root/scripts/install-deps.sh" --fuzz
build=${ZOKK_FUZZ_BUILD:-$root/build-fuzz}
mkdir -p "$build/corpus" "$build/seeds" "$build/artifacts"

prefix=$("$root/scripts/build-libs.sh" fuzz --for "$build") || {
    echo "run-fuzz: libpng could not be built; fuzzing against the system's libpng" >&2
    rm -f "$build/CMakeCache.txt" "$build/libs-prefix"
}
(cd "$root" && cmake --preset fuzz -B "$build" -DCMAKE_PREFIX_PATH="$prefix") >/dev/null
cmake --build "$build" -j"${ZOKK_JOBS:-$(nproc)}" --target fuzz_PNGImage make_seeds
"$build/tests/fuzz/make_seeds" "$build/seeds"

"$build/tests/fuzz/fuzz_PNGImage" -max_total_time="$seconds" -close_fd_mask=2 -print_final_stats=1 \
    -dict="$here/png.dict" -max_len=4096 -rss_limit_mb=4096 \
    -artifact_prefix="$build/artifacts/" "$build/corpus" "$build/seeds"
