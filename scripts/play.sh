#!/usr/bin/env bash
# Installs what is missing, builds zokk optimised and plays it from the repository root,
# where it finds data/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset release
cmake --build --preset release --target zokk -j"${ZOKK_JOBS:-$(nproc)}"
exec "$root/build-release/zokk"
