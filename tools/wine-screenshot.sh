#!/bin/sh
# Usage: tools/wine-screenshot.sh [--fake [--scene "WORDS"]] [OUTPUT.png] [BUILD_DIR]
# Takes a screenshot of quorvex.exe (from BUILD_DIR, default build-win, as
# `make build-windows` leaves it) running under Wine on an Xvfb of its own,
# for reviewers. The program runs with the real Windows platform in the
# build's Wine prefix and sees Wine's view of this machine's sockets (Wine
# knows the owners of its own programs' sockets only). With --fake the same
# window shows 40,000 fake rows with paths instead (quorvex-win-bench --show),
# and --scene sets that window up first with the bench's words, such as
# "traffic highlight filter=program1 menu=options" (see bench/win).
# The picture shows the whole virtual screen; the window sits in its middle.
# Needs Xvfb, xdotool and ImageMagick's import (the Makefile's packages).
set -eu
program=quorvex.exe
arguments=
if [ "${1:-}" = "--fake" ]; then
    program=quorvex-win-bench.exe
    arguments=--show
    shift
    if [ "${1:-}" = "--scene" ]; then
        arguments="--show ${2:?--scene needs its words}"
        shift 2
    fi
fi
output=${1:-quorvex-wine.png}
build=$(cd "${2:-build-win}" && pwd)
exe="$build/bin/$program"
[ -f "$exe" ] || { echo "no $exe: run make build-windows first" >&2; exit 1; }

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# As on a Chinese Windows: the ANSI code page 936.
export LC_ALL="${QUORVEX_SHOT_LOCALE:-zh_CN.UTF-8}"
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"

displayfd=$(mktemp "${TMPDIR:-/tmp}/quorvex-shot.XXXXXX")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfd" </dev/null >/dev/null 2>&1 &
xvfb=$!
wine_pid=
cleanup() {
    [ -z "$wine_pid" ] || kill "$wine_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -f "$displayfd"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$displayfd" ] && break; sleep 0.1; done
[ -s "$displayfd" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n1 "$displayfd")"
export DISPLAY

# Menus and message boxes are drawn in "MS Shell Dlg", which a Chinese
# Windows (and Wine in its locale) maps to SimSun; this machine has no
# SimSun, so Wine is told to draw it with the CJK font it has
# (fonts-wqy-microhei from the Makefile's packages), as Windows would.
if fc-list 'WenQuanYi Micro Hei' | grep -q .; then
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /t REG_SZ /d 'WenQuanYi Micro Hei' /f \
        >/dev/null 2>&1 || true
fi

# shellcheck disable=SC2086
wine "$exe" $arguments </dev/null >/dev/null 2>&1 &
wine_pid=$!
window=
for _ in $(seq 120); do
    window=$(xdotool search --name "OndriQuorvex V" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    sleep 0.5
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 2  # the first paint
import -window root "$output"
echo "$output"
