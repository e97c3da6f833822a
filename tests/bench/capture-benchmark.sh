#!/usr/bin/env bash
# Times scripts/capture.sh: a default capture (640 x 480, 60 fps, MP4) and a --height 1080 one,
# each printed as wall time, as a ratio to the show's own 29.9 s, with the processor time it
# took and the file's size.
# The optimised zokk-capture is built first, so the times hold capture and encoding only.
# Usage: tests/bench/capture-benchmark.sh   (from anywhere; writes into a temporary folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/install-deps.sh" --capture
(cd "$root" && cmake --preset release >/dev/null &&
    cmake --build --preset release --target zokk-capture show_facts \
        -j"${ZOKK_JOBS:-$(nproc)}" >/dev/null)
export ZOKK_CAPTURE="$root/build-release/capture/zokk-capture"
show_ms=$(sed -n 's/^length_ms //p' "$root/build-release/show-facts.txt")

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "capture benchmark on $(nproc) cores; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Wall time against the show, and the processor time of the whole capture (drawing, encoding,
# the display server): on a machine shared with other work the wall time grows, the processor
# time hardly does.
run() {
    local label=$1
    shift
    local TIMEFORMAT='%R %U %S'
    { time "$root/scripts/capture.sh" "$@" >/dev/null 2>"$out/err"; } 2>"$out/time" ||
        { cat "$out/err" >&2; exit 1; }
    read -r wall user sys <"$out/time"
    awk -v l="$label" -v wall="$wall" -v cpu="$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" \
        -v show="$show_ms" -v bytes="$(stat -c %s "$1")" \
        'BEGIN { printf "%-34s %6.1f s = %4.2f x the show'"'"'s %.1f s; processor %6.1f s; %5.1f MB\n",
                 l, wall, wall / (show / 1000), show / 1000, cpu, bytes / 1e6 }'
}
run "default (640 x 480, 60 fps, MP4)" "$out/default.mp4"
run "--height 1080 (1440 x 1080, MP4)" "$out/1080.mp4" --height 1080
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
