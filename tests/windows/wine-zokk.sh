#!/usr/bin/env bash
# Starts zokk.exe of the working directory under Wine, as a double-click in that folder would
# ($ZOKK_WINE and the prefix come from run-wine-tests.sh). The demo's exit status is Wine's.
exec "$ZOKK_WINE" "$PWD/zokk.exe"
