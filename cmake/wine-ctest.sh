#!/bin/sh
# Usage: wine-ctest.sh BUILD_DIR [CTEST_ARGS...]
# Runs the cross build's tests under Wine. One wineserver serves the whole
# run instead of one starting and stopping per test program, and it is
# stopped again at the end, also when a test fails.
set -eu
build=$(cd "$1" && pwd)
shift

# Wine finds the owner of every TCP socket of the host one by one: with tens
# of thousands of host sockets (another program's load) one snapshot takes
# minutes. Where unshare allows, the suite runs in a network namespace of its
# own that has nothing but the loopback interface; elsewhere it runs as is.
if [ -z "${QUORVEX_OWN_NETNS:-}" ] && command -v unshare >/dev/null 2>&1; then
    for options in "--net" "--net --map-root-user"; do
        # shellcheck disable=SC2086
        if unshare $options sh -c 'ip link set lo up' >/dev/null 2>&1; then
            export QUORVEX_OWN_NETNS=1
            # shellcheck disable=SC2086
            exec unshare $options sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$build" "$@"
        fi
    done
fi

# The window's tests need a display: an Xvfb of the suite's own, on a free
# display number that it picks itself (-displayfd), inside the namespace
# above, stopped again at the end. The test programs reach it through
# QUORVEX_WINE_DISPLAY (cmake/wine-run.sh); the user's DISPLAY is never used.
xvfb_pid=
if command -v Xvfb >/dev/null 2>&1; then
    displayfd=$(mktemp "${TMPDIR:-/tmp}/quorvex-xvfb.XXXXXX")
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfd" </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$displayfd" ] && break
        sleep 0.1
    done
    if [ -s "$displayfd" ]; then
        QUORVEX_WINE_DISPLAY=":$(head -n1 "$displayfd")"
        export QUORVEX_WINE_DISPLAY
    else
        echo "wine-ctest.sh: Xvfb did not start; the window's tests will fail" >&2
    fi
    rm -f "$displayfd"
fi

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No desktop menus or file associations for the test prefix in the user's
# home.
export WINEDLLOVERRIDES="winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true; [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true' EXIT
# A server that a hung or interrupted run left behind still serves the
# prefix, together with whatever Wine processes it kept (a conhost.exe that
# holds some pipe open), and `wineserver -p` would refuse to start a second
# one (exit code 2). It is stopped first; -k fails when there is none.
wineserver -k 2>/dev/null || true
wineserver -w
# The server, and Wine's own services that wineboot starts (creating the
# prefix on first use, about 30 s), run with their output detached: started
# from inside a test they would inherit its pipes and ctest would wait for
# them.
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1
# Every test has its own time limit (tests/CMakeLists.txt); this one covers
# any that might lack it.
ctest --test-dir "$build" --output-on-failure --timeout 120 "$@"
