#!/usr/bin/env bash
# Plays the real demo once, headless, and reports: each scene's average frame rate (from its
# statistics line), the rate of an empty pass on the same display as the ceiling, each
# scene's share of it, the time from exec to the first frame, and peak memory. Then it plays
# it twice more and stops each with SIGTERM during scene 2, once on an idle machine and once
# with every core kept busy, and reports how long each took from the signal to the exit.
# Usage: tests/bench/benchmark.sh   (from anywhere; builds an optimised tree build-bench/)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/install-deps.sh" --tests
build="$root/build-bench"
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench -j"${ZOKK_JOBS:-$(nproc)}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SDL_AUDIODRIVER=dummy "$root/scripts/with-xvfb.sh" "$build/tests/glready" bash -c '
    set -e
    build=$1 work=$2
    "$build/tests/bench_emptypass" > "$work/empty"
    date +%s.%N > "$work/exec"
    ZOKK_FIRST_FRAME_FILE="$work/first" LD_PRELOAD="$build/tests/libbench_firstframe.so" \
        /usr/bin/time -f %M -o "$work/maxrss" "$build/zokk" > "$work/out"
    # Stopped 8 s in, during scene 2: seconds from the signal to the exit.
    stop() {
        "$build/zokk" > /dev/null &
        local zokk=$! sent
        sleep 8
        sent=$(date +%s.%N)
        kill -TERM "$zokk"
        wait "$zokk" || true
        echo "$sent $(date +%s.%N)" > "$work/$1"
    }
    stop stop-idle
    busy=()
    for _ in $(seq "$(nproc)"); do
        (while :; do :; done) &
        busy+=($!)
    done
    stop stop-busy
    kill "${busy[@]}"
' bench "$build" "$work"

ceiling=$(cat "$work/empty")
printf 'empty pass (ceiling): %8.1f fps\n' "$ceiling"
grep -o 'Average fps: [0-9.e+]*' "$work/out" | awk -v c="$ceiling" '
    { fps = $3; printf "scene %d:             %8.1f fps  %5.1f %% of the ceiling\n", NR, fps, 100 * fps / c }'
awk -v a="$(cat "$work/exec")" -v b="$(cat "$work/first")" \
    'BEGIN { printf "exec to first frame:  %8.1f ms\n", (b - a) * 1000 }'
awk '{ kib = $NF } END { printf "peak memory:          %8.1f MiB\n", kib / 1024 }' "$work/maxrss"
awk '{ printf "SIGTERM to exit, idle: %7.1f ms\n", ($2 - $1) * 1000 }' "$work/stop-idle"
awk '{ printf "SIGTERM to exit, busy: %7.1f ms (every core kept busy)\n", ($2 - $1) * 1000 }' \
    "$work/stop-busy"
