#!/bin/sh
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# Runs a cross-built Windows program under Wine in the prefix PREFIX (created
# on first use, about 30 s), never the user's ~/.wine. The display is the
# suite's own Xvfb (QUORVEX_WINE_DISPLAY, set by cmake/wine-ctest.sh), never
# the user's: without it a program cannot make a window.
#
# The program's output goes to a file and is copied to ours once it has
# ended. Wine starts helpers for a program (conhost.exe for a child's console,
# services on demand) that may outlive it: with our output pipe in hand they
# would keep ctest waiting for its end, for as long as they live. A program
# that runs longer than QUORVEX_WINE_RUN_TIMEOUT seconds (default 110, below
# the suite's 120 s per test) is ended, and what it wrote until then is shown.
set -e
prefix=$1
shift
mkdir -p "$prefix"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No desktop menus or file associations for the test prefix in the user's
# home.
export WINEDLLOVERRIDES="winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${QUORVEX_WINE_DISPLAY:-}" ]; then
    export DISPLAY="$QUORVEX_WINE_DISPLAY"
fi
out=$(mktemp "${TMPDIR:-/tmp}/quorvex-wine-run.XXXXXX")
status=0
timeout --kill-after=10 "${QUORVEX_WINE_RUN_TIMEOUT:-110}" wine "$@" </dev/null >"$out" 2>&1 || status=$?
cat "$out"
rm -f "$out"
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "wine-run.sh: $1 did not end within ${QUORVEX_WINE_RUN_TIMEOUT:-110} s and was stopped" >&2
fi
exit "$status"
