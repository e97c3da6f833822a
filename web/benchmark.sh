#!/usr/bin/env bash
# Plays the show once natively (tests/bench/benchmark.sh, under Xvfb with Mesa) and once as the
# one-file page (zokk.html by file://) in each browser, in real time: Debian's headless
# Chromium (WebGL on SwiftShader) and Firefox (WebGL on Mesa, under an Xvfb of its own). It
# prints the time from opening the page to "Click to start" and each scene's average frame
# rate side by side. The page waits for the browser's animation frames, so it cannot pass the
# display's rate (60 fps); the native demo draws unthrottled. A second table splits a page's
# frame: the page's own work (the scene in WebAssembly and its WebGL calls) of the time from
# one frame to the next; the rest is the browser's.
# Usage: web/benchmark.sh   (builds into build-web-bench/ and build-bench/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work="$root/build-web-bench"
"$root/web/test/setup.sh" "$work" >/dev/null

# The native benchmark's build also writes the show's facts, which tell the page's lines apart.
native=$("$root/tests/bench/benchmark.sh")
facts="$root/build-bench/show-facts.txt"
export NODE_PATH="$work/node/node_modules"
chromium=$(node "$root/web/test/page-test.js" bench "$work/zokk.html" --browser chromium \
    --facts "$facts")
firefox=$("$root/scripts/with-xvfb.sh" "$root/build-bench/tests/glready" \
    node "$root/web/test/page-test.js" bench "$work/zokk.html" --browser firefox --facts "$facts")

echo "$native" | sed 's/^/native    /'
echo "$chromium" | grep -v '^scene' | sed 's/^/chromium  /'
echo "$firefox" | grep -v '^scene' | sed 's/^/firefox   /'
echo "zokk.html: $(stat -c %s "$work/zokk.html") bytes"
rate() { echo "$1" | awk -v n="$2" '$1 == "scene" && $2 == n ":" { print $3 }'; }
printf '\n%-8s %14s %14s %14s\n' scene "chromium (fps)" "firefox (fps)" "native (fps)"
for n in 1 2 3 4; do
    c=$(rate "$chromium" "$n")
    f=$(rate "$firefox" "$n")
    d=$(rate "$native" "$n")
    printf '%-8s %14s %14s %14s\n' "$n" "${c:--}" "${f:--}" "${d:--}"
done
work() { echo "$1" | awk -v n="$2" '$1 == "scene" && $2 == n ":" { print $13 " of " $8 }'; }
printf '\n%-8s %24s %24s\n' scene "chromium (ms a frame)" "firefox (ms a frame)"
for n in 1 2 3 4; do
    printf '%-8s %24s %24s\n' "$n" "$(work "$chromium" "$n")" "$(work "$firefox" "$n")"
done
