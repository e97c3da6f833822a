#!/usr/bin/env bash
# Plays the show once as the web page in Debian's headless Chromium (real time, WebGL on
# SwiftShader) and once natively (tests/bench/benchmark.sh, under Xvfb with Mesa), and prints
# each scene's average frame rate side by side. The page waits for the browser's animation
# frames, so it cannot pass the display's rate (60 fps); the native demo draws unthrottled.
# Usage: web/benchmark.sh   (builds into build-web-bench/ and build-bench/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work="$root/build-web-bench"
"$root/web/test/setup.sh" "$work" >/dev/null

# The native benchmark's build also writes the show's facts, which tell the page's lines apart.
native=$("$root/tests/bench/benchmark.sh")
web=$(NODE_PATH="$work/node/node_modules" node "$root/web/test/page-test.js" bench "$work/page" \
    --facts "$root/build-bench/show-facts.txt")

echo "$native" | sed 's/^/native  /'
echo "$web" | grep -v '^scene' | sed 's/^/web     /'
printf '\n%-8s %12s %12s\n' scene "web (fps)" "native (fps)"
for n in 1 2 3 4; do
    w=$(echo "$web" | awk -v n="$n" '$1 == "scene" && $2 == n ":" { print $3 }')
    d=$(echo "$native" | awk -v n="$n" '$1 == "scene" && $2 == n ":" { print $3 }')
    printf '%-8s %12s %12s\n' "$n" "${w:--}" "${d:--}"
done
