#!/usr/bin/env bash
# Starts zokk.exe of the working directory under Wine, as a double-click in that folder would,
# or the one that ZOKK_WINDOWS_EXE names, from the working directory as a command line in
# another folder would ($ZOKK_WINE and the prefix come from run-wine-tests.sh). The demo's exit
# status is Wine's.
exec "$ZOKK_WINE" "${ZOKK_WINDOWS_EXE:-$PWD/zokk.exe}"
