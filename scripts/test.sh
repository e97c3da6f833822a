#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: unit, gl and e2e (the gl
# and e2e tests start an Xvfb of their own), then the unit tests and the whole show on a
# stepped clock again under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# Upstream source archives that the package mirror does not serve (scripts/debian-source.sh)
# are kept in shared/sources beside the project.
if [ -z "${ZOKK_SOURCES:-}" ] && [ -d "$root/../shared/sources" ]; then
    export ZOKK_SOURCES=$(cd "$root/../shared/sources" && pwd)
fi
"$root/scripts/install-deps.sh" --tests

cmake -S "$root" -B "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" -j"$jobs"
(cd "$root/build-test" && ctest --output-on-failure -j"$jobs")

cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DZOKK_SANITIZE=ON \
    -DZOKK_TOOLS=OFF
cmake --build "$root/build-asan" -j"$jobs"
(cd "$root/build-asan" && ctest --output-on-failure -j"$jobs" -L unit)
(cd "$root/build-asan" && ctest --output-on-failure -R '^e2e_test_SteppedShow$')
