#!/bin/sh
# Usage: wine-session.sh BUILD_DIR COMMAND [ARGS...]
# Runs COMMAND (ctest for the suite, cmake/wine-run.sh for one program) in a
# Wine session of the cross build: its own prefix, one wineserver for the
# whole run instead of one starting and stopping per program, an Xvfb of its
# own, a network namespace with nothing but loopback where unshare allows.
# Everything is stopped again at the end, also when COMMAND fails.
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
# them. wineboot sees the session's display: the desktop process it starts
# serves the windows of the programs after it, and one started without a
# display leaves the first program's windows uncreated.
wineserver -p </dev/null >/dev/null 2>&1
DISPLAY="${QUORVEX_WINE_DISPLAY:-}" wine wineboot </dev/null >/dev/null 2>&1
"$@"
