#!/usr/bin/env bash
# Usage: tests/fuzz/run-fuzz.sh SECONDS
# Builds the PNG loader's fuzz target with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs it for SECONDS seconds. The corpus grows
# in build-fuzz/corpus (seeded by make_seeds); a crashing input is saved under
# build-fuzz/artifacts/ and makes the script fail. The loader's own error lines are muted.
set -euo pipefail
seconds=${1:?usage: run-fuzz.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${ZOKK_FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
mkdir -p "$build/corpus" "$build/seeds" "$build/artifacts"
"$build/make_seeds" "$build/seeds"

"$build/fuzz_PNGImage" -max_total_time="$seconds" -close_fd_mask=2 -print_final_stats=1 \
    -dict="$here/png.dict" -max_len=4096 -rss_limit_mb=4096 \
    -artifact_prefix="$build/artifacts/" "$build/corpus" "$build/seeds"
