#!/bin/sh
# Usage: quorvex_smoke.sh PATH/quorvex.exe
# quorvex.exe started as a user starts it, under Wine in the suite's session
# (cmake/wine-session.sh: WINEPREFIX, a running wineserver and the suite's
# Xvfb in QUORVEX_WINE_DISPLAY): its main window appears with the caption
# "OndriQuorvex V3.0(网络连接查看器)"; a second start shows the message
# window "OndriQuorvex" (the test presses its OK) and ends with exit code 0
# while the first goes on. Runs alone (RUN_SERIAL): other tests make windows
# with the same caption.
set -eu
exe=$1
[ -n "${QUORVEX_WINE_DISPLAY:-}" ] || { echo "no display: run through cmake/wine-ctest.sh" >&2; exit 1; }
export DISPLAY="$QUORVEX_WINE_DISPLAY"
export WINEDEBUG=-all
export LC_ALL=zh_CN.UTF-8
caption='OndriQuorvex V3.0(网络连接查看器)'

first=
second=
cleanup() {
    [ -z "$second" ] || kill "$second" 2>/dev/null || true
    [ -z "$first" ] || kill "$first" 2>/dev/null || true
}
trap cleanup EXIT

# A visible window whose name matches the pattern (xdotool's regular
# expression), within `tries` half seconds.
find_window() {
    pattern=$1
    tries=$2
    for _ in $(seq "$tries"); do
        found=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1 || true)
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep 0.5
    done
    return 1
}

wine "$exe" </dev/null >/dev/null 2>&1 &
first=$!
main=$(find_window '^OndriQuorvex V3\.0' 120) || { echo "FAIL: the main window did not appear" >&2; exit 1; }
name=$(xdotool getwindowname "$main")
if [ "$name" != "$caption" ]; then
    echo "FAIL: caption '$name', expected '$caption'" >&2
    exit 1
fi
echo "main window $main: $name"

# The message window is a new window named like the application; the
# first instance's own application window has that name as well.
before=$(xdotool search --onlyvisible --name '^OndriQuorvex$' 2>/dev/null || true)
wine "$exe" </dev/null >/dev/null 2>&1 &
second=$!
box=
for _ in $(seq 120); do
    for candidate in $(xdotool search --onlyvisible --name '^OndriQuorvex$' 2>/dev/null || true); do
        echo "$before" | grep -qx "$candidate" || box=$candidate
    done
    [ -n "$box" ] && break
    kill -0 "$second" 2>/dev/null || break
    sleep 0.5
done
[ -n "$box" ] || { echo "FAIL: the second start showed no message" >&2; exit 1; }
echo "second start: message window $box"
# Its one button, OK, sits at the middle of its bottom; Return presses it too.
for _ in $(seq 20); do
    kill -0 "$second" 2>/dev/null || break
    eval "$(xdotool getwindowgeometry --shell "$box" 2>/dev/null || echo WIDTH=0 HEIGHT=0)"
    xdotool mousemove --window "$box" $((WIDTH / 2)) $((HEIGHT - 22)) click 1 2>/dev/null || true
    sleep 0.5
    kill -0 "$second" 2>/dev/null || break
    xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
    sleep 0.5
done
if kill -0 "$second" 2>/dev/null; then
    echo "FAIL: the message window could not be closed" >&2
    exit 1
fi
status=0
wait "$second" || status=$?
second=
if [ "$status" -ne 0 ]; then
    echo "FAIL: the second start ended with exit code $status" >&2
    exit 1
fi
kill -0 "$first" 2>/dev/null || { echo "FAIL: the first instance is gone" >&2; exit 1; }
echo "the second start ended with exit code 0; the first instance runs on"
