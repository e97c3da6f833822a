#!/usr/bin/env bash
# Installs what is missing, builds zokk optimised and plays it from the repository root,
# where it finds data/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DZOKK_TESTS=OFF -DZOKK_TOOLS=OFF
cmake --build "$root/build-release" --target zokk -j"$(nproc)"
cd "$root"
exec "$root/build-release/zokk"
