#!/bin/sh
# Usage: wine-ctest.sh BUILD_DIR [CTEST_ARGS...]
# Runs the cross build's tests under Wine. One wineserver serves the whole
# run instead of one starting and stopping per test program, and it is
# stopped again at the end, also when a test fails.
set -eu
build=$(cd "$1" && pwd)
shift
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Creates the prefix on first use (about 30 s) and starts Wine's own
# services now, with their output detached: started from inside a test they
# would inherit its pipes and ctest would wait for them.
wine wineboot </dev/null >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure "$@"
