#!/usr/bin/env bash
# Usage: scripts/play.sh
# Installs what is missing, builds zokk optimised and plays it from the repository root,
# where it finds data/.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
no_arguments "$@"
"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset release
cmake --build --preset release --target zokk -j"$jobs"
exec "$root/build-release/zokk"
