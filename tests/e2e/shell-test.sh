# What the shell tests share, sourced with the test's name: run from the repository root
# ($root), a scratch folder removed at the end ($scratch), the test's own output folder,
# test-output/NAME, emptied ($out), and fail, which says what failed and counts it ($failures).
set -uo pipefail
root=$(pwd)
scratch=$(mktemp -d "/tmp/zokk-$1-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
out=${ZOKK_TEST_OUT:-$root/build-test/test-output}/$1
rm -rf "$out"
mkdir -p "$out"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
