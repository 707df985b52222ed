#!/bin/bash
# Starts and stops a private Wine session for the end-to-end tests.
#
#   wine_session.sh start <state dir> <helpers dir>
#       Xvfb on a free display, a fresh 32-bit prefix on it, our helper
#       programs copied to C:\tests\bin, and the taskbar window up.
#   wine_session.sh start-headless <state dir> <helpers dir>
#       A fresh 32-bit prefix with no display at all: no desktop, no
#       taskbar, no windows.
#   wine_session.sh stop <state dir>
#       Ends what start left running (Xvfb by its pid, the prefix's
#       wineserver with -k) and removes the prefix.
#
# Sourced by the test cases, it offers session_load and the wine_* helpers.


session_log() { echo "[wine_session] $*" >&2; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Loads the session written by start into the environment of this shell.
session_load() {
    local state=$1
    [[ -f $state/env ]] || { session_log "no session in $state"; return 1; }
    unset SESSION_DISPLAY XVFB_PID KEEPER_PID
    SESSION_STATE=$state
    # shellcheck disable=SC1091
    source "$state/env"
    export WINEPREFIX WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    if [[ -n ${SESSION_DISPLAY-} ]]; then
        export DISPLAY=$SESSION_DISPLAY
    else
        unset DISPLAY WAYLAND_DISPLAY
    fi
}

# Runs a program in the loaded prefix. Wine's own processes (desktop,
# services) outlive the call, so they must never hold the caller's output
# pipes: all output goes to files. Usage: wine_run <stdout file> args...
wine_run() {
    local out=$1; shift
    wine "$@" </dev/null >"$out" 2>>"$SESSION_STATE/wine-stderr.log"
}

# For scripts that run a session of their own in a temporary folder <tmp>,
# with the session's state in <tmp>/session and its start's output in
# <tmp>/start.log.
#   session_teardown <tmp>: stops the session, removes the folder.
#   session_die <who> <tmp> <message>: ends the script with the message and
#   the last lines of the session's logs.
session_teardown() {
    cmd_stop "$1/session" >>"$1/stop.log" 2>&1
    rm -rf "$1"
}
session_die() {
    local who=$1 tmp=$2 log
    shift 2
    echo "$who: $*" >&2
    for log in "$tmp/start.log" "$tmp/session/wine-stderr.log"; do
        [[ -s $log ]] && tail -n 5 "$log" | sed "s|^|  $(basename "$log"): |" >&2
    done
    exit 1
}

# Hex of a string's bytes, for regwrite.
to_hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }

find_free_display() { # first number to try
    local n
    for ((n = $1; n < 200; n++)); do
        if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

start_xvfb() {
    local state=$1 n=90 pid
    for _ in 1 2 3; do
        n=$(find_free_display $((n + 1))) || { session_log "no free display"; return 1; }
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp \
            </dev/null >"$state/xvfb.log" 2>&1 &
        pid=$!
        echo "XVFB_PID=$pid" >>"$state/env"
        for ((i = 0; i < 100; i++)); do
            if ! kill -0 "$pid" 2>/dev/null; then
                break
            fi
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                echo "SESSION_DISPLAY=:$n" >>"$state/env"
                return 0
            fi
            sleep 0.1
        done
        # Lost a race for the display or Xvfb would not start: try another.
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        sed -i '/^XVFB_PID=/d' "$state/env"
    done
    session_log "Xvfb did not start: $(tail -5 "$state/xvfb.log")"
    return 1
}

# Creates the prefix named in the loaded session and keeps its server up.
create_prefix() {
    local state=$1 helpers=$2 t0
    t0=$(now_ms)
    # wineboot's services keep running: they must not inherit our pipes.
    wineboot -i </dev/null >>"$state/wineboot.log" 2>&1 || {
        session_log "wineboot failed: $(tail -5 "$state/wineboot.log")"
        return 1
    }
    wineserver -p </dev/null >/dev/null 2>&1
    session_log "prefix created in $(( $(now_ms) - t0 )) ms"
    mkdir -p "$WINEPREFIX/drive_c/tests/bin" "$WINEPREFIX/drive_c/tests/logs"
    cp "$helpers"/*.exe "$WINEPREFIX/drive_c/tests/bin/" || return 1
}

# A fresh state dir naming a fresh prefix. Should any later step of the
# start fail, what was started so far is ended on exit.
begin_session() {
    local state=$1
    cmd_stop "$state" 2>/dev/null
    mkdir -p "$state"
    stop_on_exit=$state
    trap 'cmd_stop "$stop_on_exit"' EXIT
    echo "WINEPREFIX=$(mktemp -d /tmp/wine-e2e.XXXXXX)/prefix" >"$state/env"
}

cmd_start() {
    local state=$1 helpers=$2 t0
    t0=$(now_ms)
    begin_session "$state"
    start_xvfb "$state" || return 1
    session_load "$state" || return 1
    create_prefix "$state" "$helpers" || return 1
    # Unmanaged windows are shown at once instead of after the window
    # manager handshake times out; there is no window manager here.
    wine_run "$state/reg.out" reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /d N /f || { session_log "could not set Managed=N"; return 1; }
    # Wine ends the desktop process, and the taskbar with it, shortly after
    # the last program using the desktop exits; a program starting during
    # that shutdown waits for it. One program that stays keeps the desktop
    # up for the whole session, as it always is on a real Windows.
    wine 'C:\tests\bin\wait_window.exe' Shell_TrayWnd 30000 hold \
        </dev/null >"$state/keeper.out" 2>>"$state/wine-stderr.log" &
    echo "KEEPER_PID=$!" >>"$state/env"
    if ! wine_run "$state/wait.out" 'C:\tests\bin\wait_window.exe' Shell_TrayWnd 30000; then
        session_log "taskbar window did not appear"
        return 1
    fi
    trap - EXIT
    session_log "session up on $DISPLAY, prefix $WINEPREFIX, $(( $(now_ms) - t0 )) ms"
}

cmd_start_headless() {
    local state=$1 helpers=$2
    begin_session "$state"
    session_load "$state" || return 1
    create_prefix "$state" "$helpers" || return 1
    trap - EXIT
    session_log "display-less session up, prefix $WINEPREFIX"
}

cmd_stop() {
    local state=$1 pid
    [[ -f $state/env ]] || return 0
    (
        # shellcheck disable=SC1091
        source "$state/env"
        pid=${KEEPER_PID-}
        if [[ -n $pid ]] && grep -q wait_window "/proc/$pid/cmdline" 2>/dev/null; then
            kill "$pid"
        fi
        if [[ -n ${WINEPREFIX-} && -d $WINEPREFIX ]]; then
            WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
            WINEPREFIX=$WINEPREFIX wineserver -w 2>/dev/null
        fi
        pid=${XVFB_PID-}
        # Only our Xvfb: the pid must still belong to an Xvfb process.
        if [[ -n $pid ]] && grep -q Xvfb "/proc/$pid/cmdline" 2>/dev/null; then
            kill "$pid"
            for ((i = 0; i < 50; i++)); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -9 "$pid" 2>/dev/null
        fi
        if [[ -n ${WINEPREFIX-} && $WINEPREFIX == /tmp/wine-e2e.*/prefix ]]; then
            rm -rf "${WINEPREFIX%/prefix}"
        fi
    )
    rm -f "$state/env"
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    set -u
    case ${1-} in
        start) cmd_start "$2" "$3" ;;
        start-headless) cmd_start_headless "$2" "$3" ;;
        stop) cmd_stop "$2" ;;
        *) echo "usage: $0 start|start-headless <state dir> <helpers dir> | stop <state dir>" >&2
           exit 2 ;;
    esac
fi
