#!/usr/bin/env bash
# Usage: web/test/setup.sh WORK
# Prepares the web page's tests in WORK: the page built into WORK/web and WORK/zokk.html
# (build tree WORK/build) and puppeteer-core, as locked in package-lock.json, in WORK/node.
# Chromium and Firefox are Debian's; nothing downloads a browser.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=${1:?usage: setup.sh WORK}
mkdir -p "$work/node"
ZOKK_WEB_BUILD="$work/build" "$here/../../scripts/build-web.sh" "$work"
cp "$here/package.json" "$here/package-lock.json" "$work/node/"
cd "$work/node"
PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
