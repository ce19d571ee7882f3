#!/bin/sh
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# Runs a cross-built Windows program under Wine in the prefix PREFIX (created
# on first use, about 30 s), never the user's ~/.wine. No display: the
# programs run here are console programs.
set -e
prefix=$1
shift
mkdir -p "$prefix"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
