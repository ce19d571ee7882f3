#!/bin/sh
# Usage: wine-ctest.sh BUILD_DIR [CTEST_ARGS...]
# Runs the cross build's tests under Wine, in one session (wine-session.sh).
# Every test has its own time limit (tests/CMakeLists.txt); --timeout covers
# any that might lack it.
set -eu
build=$(cd "$1" && pwd)
shift
exec "$(dirname "$0")/wine-session.sh" "$build" ctest --test-dir "$build" --output-on-failure --timeout 120 "$@"
