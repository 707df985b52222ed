#!/bin/bash
# A throwaway demonstration of the launcher under Wine, for newcomers.
#   demo.sh [<helpers dir> [<launcher exe>]]
# Starts its own Wine session (Xvfb, a private prefix, the taskbar), opens
# the stand-in "Kembrin" window, registers a copy of the stand-in program
# as Tavimond.exe under a path with a blank (left unquoted, so the launcher
# has to quote it), runs the launcher and tells in plain words what
# happened. Everything it started is ended again and its temporary folder
# removed, also when a step fails or the demo is interrupted.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
helpers=${1:-$repo/build/windows/tests/wine/helpers}
launcher=${2:-$repo/dist/Launcher.exe}
# shellcheck source-path=SCRIPTDIR source=wine_session.sh
source "$here/wine_session.sh"

for f in "$launcher" "$helpers/kembrin_window.exe" "$helpers/tavimond_standin.exe" \
         "$helpers/regwrite.exe" "$helpers/wait_window.exe"; do
    [[ -f $f ]] || { echo "demo: missing $f (build first)" >&2; exit 1; }
done
helpers=$(cd "$helpers" && pwd)
launcher=$(cd "$(dirname "$launcher")" && pwd)/$(basename "$launcher")

tmp=$(mktemp -d /tmp/launcher-demo.XXXXXX)
state=$tmp/session
kembrin_pid='' launcher_pid=''

# Ends what the demo started, by pid and through the session's own stop
# (Xvfb by its pid, the prefix's wineserver with -k), then removes tmp.
cleanup() {
    local pid
    for pid in $launcher_pid $kembrin_pid; do
        kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    session_teardown "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

die() { session_die demo "$tmp" "$@"; }

field() { # log key: value of the key from the log's last record
    sed -n "s/^$2=//p" "$1" 2>/dev/null | tail -n 1 | tr -d '\r'
}

t_demo=$(now_ms)
echo "=== Launcher demo: a throwaway Wine session ==="
echo "A private Wine prefix on its own Xvfb display is made for this run"
echo "and removed at the end; nothing of your own Wine setup is touched."
echo

echo "Starting the session (Xvfb, a fresh 32-bit prefix, the taskbar)..."
bash "$here/wine_session.sh" start "$state" "$helpers" >"$tmp/start.log" 2>&1 ||
    die "the Wine session did not start"
session_load "$state" || die "no session"
echo "  up on display $DISPLAY after $(( $(now_ms) - t_demo )) ms"

drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/demo" "$drive_c/Program Files/Tavimond"
cp "$drive_c/tests/bin/tavimond_standin.exe" "$drive_c/Program Files/Tavimond/Tavimond.exe"
cp "$launcher" "$drive_c/demo/Launcher.exe"
kembrin_log=$drive_c/demo/kembrin.log
standin_log=$drive_c/demo/standin.log
export STANDIN_LOG='C:\demo\standin.log'

registered='C:\Program Files\Tavimond\Tavimond.exe'
key='Software\Microsoft\Windows\CurrentVersion\App Paths\Tavimond.exe'
echo
echo "Registering the stand-in program as Tavimond.exe:"
echo "  HKLM\\$key"
echo "  (default) = $registered   (REG_SZ, no quotes, a blank in the path)"
wine_run "$tmp/reg.out" 'C:\tests\bin\regwrite.exe' set HKLM "$key" @ REG_SZ \
    "$(to_hex "$registered")00" || die "could not write the registry value"

echo
echo "Opening a stand-in \"Kembrin\" window that closes when asked..."
wine 'C:\tests\bin\kembrin_window.exe' close 'C:\demo\kembrin.log' \
    </dev/null >"$tmp/kembrin.out" 2>>"$state/wine-stderr.log" &
kembrin_pid=$!
for ((i = 0; i < 300; i++)); do
    grep -q '^ready' "$kembrin_log" 2>/dev/null && break
    sleep 0.05
done
grep -q '^ready' "$kembrin_log" 2>/dev/null || die "the Kembrin window did not open"
echo "  the window is up (pid $(sed -n 's/^ready .*pid=//p' "$kembrin_log" | tr -d '\r') in Wine)"

echo
echo "Running Launcher.exe under Wine..."
t0=$(now_ms)
wine 'C:\demo\Launcher.exe' </dev/null >"$tmp/launcher.out" 2>>"$state/wine-stderr.log" &
launcher_pid=$!
while kill -0 "$launcher_pid" 2>/dev/null; do
    if (($(now_ms) - t0 > 30000)); then
        kill -9 "$launcher_pid" 2>/dev/null
        echo "  the launcher was still running after 30 s and was stopped"
        break
    fi
    sleep 0.02
done
wait "$launcher_pid"
rc=$?
launcher_pid=''
run_ms=$(( $(now_ms) - t0 ))
# The stand-in may still be writing its record when the launcher has ended.
for ((i = 0; i < 200; i++)); do
    grep -q '^showwindow=' "$standin_log" 2>/dev/null && break
    sleep 0.05
done
# The Kembrin window exits once it is closed.
for ((i = 0; i < 100; i++)); do
    kill -0 "$kembrin_pid" 2>/dev/null || break
    sleep 0.05
done

echo
echo "What happened:"
closes=$(grep -c '^WM_CLOSE' "$kembrin_log" 2>/dev/null)
close_tick=$(sed -n 's/^WM_CLOSE tick=//p' "$kembrin_log" 2>/dev/null | head -n 1 | tr -d '\r')
if ((closes > 0)); then
    echo "  1. The Kembrin window received $closes close request(s) (WM_CLOSE)"
    if grep -q '^exit' "$kembrin_log"; then
        echo "     and closed itself."
    else
        echo "     but had not exited yet."
    fi
else
    echo "  1. The Kembrin window received no close request."
fi
if [[ -s $standin_log ]]; then
    start_tick=$(field "$standin_log" 'start tick')
    if [[ -n $close_tick ]]; then
        echo "  2. The launcher then waited: the stand-in started $((start_tick - close_tick)) ms" \
             "after the close request (the launcher pauses 2000 ms)."
    fi
    show=$(field "$standin_log" showwindow)
    case $show in
        10) show_name=SW_SHOWDEFAULT ;;
        1) show_name=SW_SHOWNORMAL ;;
        *) show_name="show state $show" ;;
    esac
    echo "  3. It started the registered program with this command line:"
    echo "       $(field "$standin_log" cmdline)"
    echo "     (the unquoted path with a blank got quotes, so Windows runs"
    echo "     $(field "$standin_log" module))"
    echo "     show state: $show ($show_name)," \
         "STARTF_USESHOWWINDOW $( [[ $(field "$standin_log" useshowwindow) == 1 ]] && echo set || echo not set)."
else
    echo "  2. The registered program was not started."
fi
echo "  4. Launcher.exe exited with code $rc after $run_ms ms."

echo
echo "Stopping the session and removing $tmp ..."
cleanup
trap - EXIT
echo "Demo done in $(( $(now_ms) - t_demo )) ms."
