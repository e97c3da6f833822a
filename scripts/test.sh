#!/usr/bin/env bash
# Usage: scripts/test.sh
# Installs what is missing, builds everything and runs every test: unit, gl and e2e (the gl
# and e2e tests start an Xvfb of their own, the desktop tier among them a headless Wayland
# desktop with PipeWire), then the unit tests and the whole show on a stepped clock again
# under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
no_arguments "$@"
# Upstream source archives that the package mirror does not serve (scripts/debian-source.sh)
# are kept in shared/sources beside the project.
if [ -z "${ZOKK_SOURCES:-}" ] && [ -d "$root/../shared/sources" ]; then
    export ZOKK_SOURCES=$(cd "$root/../shared/sources" && pwd)
fi
"$root/scripts/install-deps.sh" --tests

# The test and asan workflows of CMakePresets.json, each configure, build and tests.
export CMAKE_BUILD_PARALLEL_LEVEL=$jobs CTEST_PARALLEL_LEVEL=$jobs
cd "$root"
cmake --workflow --preset test
cmake --workflow --preset asan
