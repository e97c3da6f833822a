#!/usr/bin/env bash
# Usage: scripts/source-date.sh
# Prints SOURCE_DATE_EPOCH: the time every file of a release carries, the time of the commit it
# is made from (or the one already set in the environment), so that the same commit gives the
# same bytes whenever it is built.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
no_arguments "$@"
echo "${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"
