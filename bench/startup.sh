#!/bin/bash
# Start-up benchmark: wall time from start to exit of `wine <exe>` for
# dist/Launcher.exe and for bench/minimal_launcher.c, a plain-C program
# making the same Windows calls, in one Wine session.
#   bench/startup.sh [<build dir>]      (default build/windows)
# The build dir provides the Wine test helpers (tests/wine/helpers). Prints
# figures only: the goal is shown next to them, never enforced. Exits
# non-zero only when something could not be built or run.
set -u
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-build/windows}
[[ $build == /* ]] || build=$repo/$build
helpers=$build/tests/wine/helpers
launcher=$repo/dist/Launcher.exe
runs=15
# shellcheck source-path=SCRIPTDIR source=../tests/wine/wine_session.sh
source "$repo/tests/wine/wine_session.sh"

for f in "$launcher" "$helpers/tavimond_standin.exe" "$helpers/regwrite.exe" "$helpers/wait_window.exe"; do
    [[ -f $f ]] || { echo "startup: missing $f (build first)" >&2; exit 1; }
done

tmp=$(mktemp -d /tmp/launcher-bench.XXXXXX)
state=$tmp/session
run_pid=''
# Ends what this script started: a run still going, then the session
# (Xvfb by its pid, the prefix's wineserver with -k); removes tmp.
cleanup() {
    [[ -n $run_pid ]] && kill -9 "$run_pid" 2>/dev/null && wait "$run_pid" 2>/dev/null
    session_teardown "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

die() { session_die startup "$tmp" "$@"; }

t_all=$(now_ms)
i686-w64-mingw32-gcc -std=c99 -Os -Wall -Wextra -mwindows -s \
    -o "$tmp/minimal_launcher.exe" "$repo/bench/minimal_launcher.c" 2>"$tmp/cc.log" ||
    { cat "$tmp/cc.log" >&2; die "could not build minimal_launcher.exe"; }

bash "$repo/tests/wine/wine_session.sh" start "$state" "$helpers" >"$tmp/start.log" 2>&1 ||
    die "the Wine session did not start"
session_load "$state" || die "no session"

# Both programs run from the same folder of the prefix.
drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/bench"
cp "$launcher" "$drive_c/bench/Launcher.exe"
cp "$tmp/minimal_launcher.exe" "$drive_c/bench/minimal_launcher.exe"

# Both programs find the same registered command line, already quoted:
# the stand-in, which writes one record and exits at once. Each run thus
# does the whole normal path (lookup and start) and nothing that blocks.
key='Software\Microsoft\Windows\CurrentVersion\App Paths\Tavimond.exe'
wine_run "$tmp/reg.out" 'C:\tests\bin\regwrite.exe' set HKLM "$key" @ REG_SZ \
    "$(to_hex '"C:\tests\bin\tavimond_standin.exe" --bench')00" ||
    die "could not write the registry value"
export STANDIN_LOG='C:\bench\standin.log'
standin_log=$drive_c/bench/standin.log
starts=0

# One timed run; prints microseconds. Afterwards, untimed, waits for the
# stand-in it started to have written its record, so runs do not overlap.
time_run() { # exe name
    local t0 t1 rc n
    t0=$(date +%s%N)
    wine "C:\\bench\\$1" </dev/null >"$tmp/run.out" 2>>"$state/wine-stderr.log" &
    run_pid=$!
    wait "$run_pid"
    rc=$?
    t1=$(date +%s%N)
    run_pid=''
    ((rc == 0)) || { echo "startup: $1 exited with code $rc" >&2; return 1; }
    starts=$((starts + 1))
    for ((i = 0; i < 200; i++)); do
        n=$(grep -c '^start tick=' "$standin_log" 2>/dev/null) || true
        ((${n:-0} >= starts)) && break
        sleep 0.02
    done
    ((${n:-0} >= starts)) || { echo "startup: $1 did not start the stand-in" >&2; return 1; }
    echo $(((t1 - t0) / 1000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }

# One untimed run of each first: loads both files into the page cache.
time_run Launcher.exe >/dev/null || die "warm-up run of Launcher.exe failed"
time_run minimal_launcher.exe >/dev/null || die "warm-up run of minimal_launcher.exe failed"

: >"$tmp/a.txt"
: >"$tmp/b.txt"
for ((r = 0; r < runs; r++)); do
    time_run Launcher.exe >>"$tmp/a.txt" || die "run of Launcher.exe failed"
    time_run minimal_launcher.exe >>"$tmp/b.txt" || die "run of minimal_launcher.exe failed"
done

a_med=$(median <"$tmp/a.txt")
b_med=$(median <"$tmp/b.txt")
a_min=$(sort -n "$tmp/a.txt" | head -n 1) a_max=$(sort -n "$tmp/a.txt" | tail -n 1)
b_min=$(sort -n "$tmp/b.txt" | head -n 1) b_max=$(sort -n "$tmp/b.txt" | tail -n 1)
pct=$(awk -v a="$a_med" -v b="$b_med" 'BEGIN { printf "%+.1f", (a - b) * 100 / b }')
ratio=$(awk -v a="$a_med" -v b="$b_med" 'BEGIN { printf "%.3f", a / b }')
within=$(awk -v a="$a_med" -v b="$b_med" 'BEGIN { print (a <= b * 1.10) ? "yes" : "no" }')

echo "Start-up benchmark: wall time of \`wine <exe>\` from start to exit"
echo "  Wine $(wine --version 2>/dev/null), one session (Xvfb, private prefix, taskbar up),"
echo "  $runs runs each, alternating Launcher/minimal, after one warm-up run each."
echo "  Run: no Kembrin window, taskbar present, registered value (REG_SZ)"
printf '  %s: both programs look it up and\n' '"C:\tests\bin\tavimond_standin.exe" --bench'
echo "  start the stand-in, which logs one line and exits; both do the same work."
echo "  Baseline: bench/minimal_launcher.c, plain C with the usual MinGW C run-time"
echo "  start-up, $(stat -c %s "$tmp/minimal_launcher.exe") bytes."
echo
printf '  %-22s median %8s ms   (min %s, max %s)\n' "dist/Launcher.exe" \
    "$(ms "$a_med")" "$(ms "$a_min")" "$(ms "$a_max")"
printf '  %-22s median %8s ms   (min %s, max %s)\n' "minimal_launcher.exe" \
    "$(ms "$b_med")" "$(ms "$b_min")" "$(ms "$b_max")"
echo
echo "  ratio Launcher/minimal: $ratio ($pct %)   goal: within 10% of the minimal program -> $within"
echo "  benchmark took $(( $(now_ms) - t_all )) ms"
