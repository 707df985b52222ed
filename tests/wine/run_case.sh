#!/bin/bash
# Runs one end-to-end case of the launcher inside a session made by
# wine_session.sh.
#   run_case.sh <state dir> <launcher exe> <case>
# The cases form the table in run_selected_case at the bottom.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine_session.sh
source "$here/wine_session.sh"

state=$1 launcher_src=$2 case_name=$3
session_load "$state" || exit 1

drive_c=$WINEPREFIX/drive_c
case_win="C:\\tests\\cases\\$case_name"
case_dir=$drive_c/tests/cases/$case_name
out=$state/cases/$case_name
rm -rf "$case_dir" "$out"
mkdir -p "$case_dir" "$out"

export STANDIN_LOG="$case_win\\standin.log"
standin_log=$case_dir/standin.log
kembrin_log=$case_dir/kembrin.log
STANDIN='C:\tests\bin\tavimond_standin.exe'
APP_PATHS_KEY='Software\Microsoft\Windows\CurrentVersion\App Paths\Tavimond.exe'
REAL_DIR='C:\Program Files\Tavimond'
REAL_EXE="$REAL_DIR\\Tavimond.exe"

failures=0
kembrin_pid='' launcher_pid='' made_decoy=''

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expect_eq() { # what expected actual
    if [[ $2 == "$3" ]]; then echo "ok: $1 = [$3]"; else fail "$1: expected [$2], got [$3]"; fi
}

expect_range() { # what min max actual
    if (($4 >= $2 && $4 <= $3)); then
        echo "ok: $1 = $4 (within $2..$3)"
    else
        fail "$1 = $4, outside $2..$3"
    fi
}

# Ends only what this case started, also when a check fails midway.
cleanup() {
    local pid
    for pid in $launcher_pid $kembrin_pid; do
        kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    [[ -n $made_decoy ]] && rm -rf "$drive_c/Program.exe" "$drive_c/Program Files/Tavimond"
}
trap cleanup EXIT

field() { # log key: value of the key from the stand-in's last record
    sed -n "s/^$2=//p" "$1" 2>/dev/null | tail -n 1 | tr -d '\r'
}
# The stand-in may still be starting when the launcher has ended: wait for
# its record, or when none is expected, give a late start time to show.
standin_starts() { # expected count
    local n polls=20
    (($1 > 0)) && polls=200
    for ((i = 0; i < polls; i++)); do
        n=$(count_lines "$standin_log" '^start tick=')
        (($1 > 0 && n >= $1)) && break
        sleep 0.05
    done
    echo "$n"
}
count_lines() { # log pattern
    local n
    n=$(grep -c "$2" "$1" 2>/dev/null) || true
    echo "${n:-0}"
}

# --- registry -------------------------------------------------------------

reg_clear() {
    wine_run "$out/reg.out" 'C:\tests\bin\regwrite.exe' delkey HKLM "$APP_PATHS_KEY" ||
        fail "could not delete the App Paths key"
}
reg_set_hex() { # type hex
    wine_run "$out/reg.out" 'C:\tests\bin\regwrite.exe' set HKLM "$APP_PATHS_KEY" @ "$1" "$2" ||
        fail "could not write the App Paths value"
}
# A string value as Windows stores it, with its terminating NUL.
reg_set_text() { reg_set_hex "$1" "$(to_hex "$2")00"; }

# --- processes ------------------------------------------------------------

# The real program in a folder with a space, and a decoy where an unquoted
# command line would find an executable first.
make_decoy_layout() {
    made_decoy=1
    mkdir -p "$drive_c/Program Files/Tavimond"
    cp "$drive_c/tests/bin/tavimond_standin.exe" "$drive_c/Program Files/Tavimond/Tavimond.exe"
    cp "$drive_c/tests/bin/tavimond_standin.exe" "$drive_c/Program.exe"
}

start_kembrin() { # mode
    wine 'C:\tests\bin\kembrin_window.exe' "$1" "$case_win\\kembrin.log" \
        </dev/null >"$out/kembrin.out" 2>>"$state/wine-stderr.log" &
    kembrin_pid=$!
    for ((i = 0; i < 200; i++)); do
        grep -q '^ready' "$kembrin_log" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "Kembrin window did not get ready"
    return 1
}

# Copies the launcher under the given file name and starts it in the
# background; LAUNCH_T0 is when it was started.
start_launcher() { # file name
    cp "$launcher_src" "$case_dir/$1"
    LAUNCH_T0=$(now_ms)
    wine "$case_win\\$1" </dev/null >"$out/launcher.out" 2>>"$state/wine-stderr.log" &
    launcher_pid=$!
}

# Waits for the launcher to end; sets LAUNCH_RC and LAUNCH_MS. A launcher
# still running at the limit is described (any box it shows) and killed.
wait_launcher() { # limit ms
    local limit=$1
    while kill -0 "$launcher_pid" 2>/dev/null; do
        if (($(now_ms) - LAUNCH_T0 > limit)); then
            fail "launcher still running after $limit ms"
            wine_run "$out/stray-box.out" 'C:\tests\bin\box_watcher.exe' 1000 &&
                sed 's/^/  unexpected box: /' "$out/stray-box.out"
            kill -9 "$launcher_pid" 2>/dev/null
            break
        fi
        sleep 0.02
    done
    LAUNCH_MS=$(($(now_ms) - LAUNCH_T0))
    wait "$launcher_pid"
    LAUNCH_RC=$?
    launcher_pid=''
    echo "launcher ran $LAUNCH_MS ms, exit code $LAUNCH_RC"
}

run_launcher() { # file name, limit ms
    start_launcher "$1"
    wait_launcher "$2"
    expect_eq "launcher exit code" 0 "$LAUNCH_RC"
}

# --- cases ----------------------------------------------------------------

# A Kembrin window in the given mode, a valid registration, then the
# launcher. Checks the single close request and the wait that follows it.
case_kembrin() { # mode, seconds to let the window hang first, min ms, max ms
    local mode=$1 hang_first=$2 min_ms=$3 max_ms=$4 closes
    reg_clear
    reg_set_text REG_SZ "$STANDIN --after-kembrin"
    if [[ $mode != none ]]; then
        start_kembrin "$mode" || return
        # Wine, like Windows, calls a window hung after 5 s without pumping.
        sleep "$hang_first"
    fi
    run_launcher Launcher.exe 40000
    expect_range "launcher run time (ms)" "$min_ms" "$max_ms" "$LAUNCH_MS"
    expect_eq "stand-in starts" 1 "$(standin_starts 1)"
    expect_eq "stand-in command line" "$STANDIN --after-kembrin" "$(field "$standin_log" cmdline)"
    closes=$(count_lines "$kembrin_log" '^WM_CLOSE')
    case $mode in
        close | stay)
            expect_eq "WM_CLOSE messages received" 1 "$closes"
            local close_tick start_tick
            close_tick=$(sed -n 's/^WM_CLOSE tick=//p' "$kembrin_log" | head -n 1)
            start_tick=$(field "$standin_log" 'start tick')
            expect_range "stand-in start after WM_CLOSE (ms)" 2000 8000 \
                $((start_tick - close_tick))
            ;;
        hang) expect_eq "WM_CLOSE handled by the hung window" 0 "$closes" ;;
    esac
}

# A registration, then the launcher with no Kembrin window. Checks what
# was started: the module that ran and its exact command line, or nothing.
case_start() { # type, value hex, expected module or "none", expected command line
    local type=$1 hex=$2 module=$3 cmdline=$4
    make_decoy_layout
    reg_clear
    [[ $type != absent-key ]] && reg_set_hex "${type/absent-value/REG_SZ}" "$hex"
    [[ $type == absent-value ]] &&
        wine_run "$out/reg.out" 'C:\tests\bin\regwrite.exe' delvalue HKLM "$APP_PATHS_KEY" @
    run_launcher Launcher.exe 20000
    if [[ $module == none ]]; then
        expect_eq "stand-in starts" 0 "$(standin_starts 0)"
        return
    fi
    expect_eq "stand-in starts" 1 "$(standin_starts 1)"
    expect_eq "module started" "$module" "$(field "$standin_log" module)"
    expect_eq "command line" "$cmdline" "$(field "$standin_log" cmdline)"
    expect_eq "STARTF_USESHOWWINDOW set" 1 "$(field "$standin_log" useshowwindow)"
    expect_eq "show state" 10 "$(field "$standin_log" showwindow)"
}

# A registration that makes the launcher report an error. Checks the box
# and its hidden owner, presses OK and checks the launcher then exits 0.
case_box() { # launcher file name, type, value hex, caption, text
    local name=$1 type=$2 hex=$3 caption=$4 text=$5 box=$out/box.out
    reg_clear
    [[ -n $type ]] && reg_set_hex "$type" "$hex"
    start_launcher "$name"
    if ! wine_run "$box" 'C:\tests\bin\box_watcher.exe' 15000; then
        fail "no message box owned by a TApplication window appeared"
    fi
    sed 's/^/  box: /' "$box"
    wait_launcher 10000
    expect_eq "launcher exit code after OK" 0 "$LAUNCH_RC"
    expect_eq "caption" "$caption" "$(field "$box" box_title)"
    expect_eq "text" "$text" "$(field "$box" text)"
    expect_eq "buttons" "1" "$(field "$box" buttons)"
    expect_eq "button" "1:OK" "$(field "$box" button0)"
    expect_eq "icon" "error" "$(field "$box" icon)"
    expect_eq "owner class" "TApplication" "$(field "$box" owner_class)"
    expect_eq "owner title" "$caption" "$(field "$box" owner_title)"
    expect_eq "owner size" "0x0" "$(field "$box" owner_width)x$(field "$box" owner_height)"
    expect_eq "owner visible" 0 "$(field "$box" owner_visible)"
    expect_eq "owner disabled while the box is up" 0 "$(field "$box" owner_enabled)"
    expect_eq "box and owner in one process" "$(field "$box" box_pid)" "$(field "$box" owner_pid)"
    expect_eq "stand-in starts" 0 "$(standin_starts 0)"
}

# A prefix without a display has no taskbar: nothing may start.
case_headless() {
    reg_clear
    reg_set_text REG_SZ "$STANDIN --headless"
    run_launcher Launcher.exe 20000
    expect_eq "stand-in starts" 0 "$(standin_starts 0)"
}

run_selected_case() {
    local dword_one=01000000
    case $case_name in
        # Kembrin window mode, hang first (s), launcher run time bounds (ms)
        kembrin.close)     case_kembrin close 0 2000 8000 ;;
        kembrin.stay)      case_kembrin stay 0 2000 8000 ;;
        kembrin.absent)    case_kembrin none 0 0 1500 ;;
        # Not yet hung when asked: the 10 s send timeout, then the 2 s wait.
        kembrin.hung)      case_kembrin hang 0 11000 25000 ;;
        # Hung for over 5 s when asked: the send is abandoned at once.
        kembrin.hung_long) case_kembrin hang 6 2000 9000 ;;

        start.args)
            case_start REG_SZ "$(to_hex "$STANDIN --alpha \"two words\" 3")00" \
                "$STANDIN" "$STANDIN --alpha \"two words\" 3" ;;
        start.unterminated)
            case_start REG_SZ "$(to_hex "$STANDIN -u")" "$STANDIN" "$STANDIN -u" ;;
        start.inner_nul)
            case_start REG_SZ "$(to_hex "$STANDIN -a")00$(to_hex " -b")00" "$STANDIN" "$STANDIN -a" ;;
        start.expand)
            export STANDIN_DIR_NAME=bin
            case_start REG_EXPAND_SZ "$(to_hex '%SystemDrive%\tests\%STANDIN_DIR_NAME%\tavimond_standin.exe -e')00" \
                "$STANDIN" "$STANDIN -e" ;;
        start.spaces_quoted)
            case_start REG_SZ "$(to_hex "$REAL_EXE")00" "$REAL_EXE" "\"$REAL_EXE\"" ;;
        start.already_quoted)
            case_start REG_SZ "$(to_hex "\"$REAL_EXE\" --q")00" "$REAL_EXE" "\"$REAL_EXE\" --q" ;;
        # Not a whole file name (arguments, or a folder): left unquoted, so
        # Windows' own search for an executable finds the decoy.
        start.spaces_with_args)
            case_start REG_SZ "$(to_hex "$REAL_EXE --x")00" 'C:\Program.exe' "$REAL_EXE --x" ;;
        start.spaces_folder)
            case_start REG_SZ "$(to_hex "$REAL_DIR")00" 'C:\Program.exe' "$REAL_DIR" ;;
        start.empty)        case_start REG_SZ "" none "" ;;
        start.only_nul)     case_start REG_SZ 00 none "" ;;
        start.absent_value) case_start absent-value "" none "" ;;
        start.absent_key)   case_start absent-key "" none "" ;;

        # Launcher file name, value type and bytes, caption, text
        box.dword)     case_box Launcher.exe REG_DWORD $dword_one Launcher "Invalid data type for ''" ;;
        box.binary)    case_box Launcher.exe REG_BINARY 41 Launcher "Invalid data type for ''" ;;
        box.multi_sz)  case_box Launcher.exe REG_MULTI_SZ "$(to_hex x)0000" Launcher "Invalid data type for ''" ;;
        title.upper)   case_box LAUNCHER.EXE REG_DWORD $dword_one Launcher "Invalid data type for ''" ;;
        title.two_dots) case_box MY.TOOL.EXE REG_DWORD $dword_one My "Invalid data type for ''" ;;
        title.lower)   case_box my.tool.v2.exe REG_DWORD $dword_one my "Invalid data type for ''" ;;
        fault_probe)   case_box LauncherFaultProbe.exe "" "" Launcherfaultprobe "EAccessViolation." ;;
        stack_probe)   case_box LauncherStackProbe.exe "" "" Launcherstackprobe "EStackOverflow." ;;

        headless)      case_headless ;;
        *) fail "unknown case $case_name" ;;
    esac
}

echo "case $case_name, prefix $WINEPREFIX, display ${DISPLAY:-none}"
run_selected_case
if ((failures)); then
    for log in "$standin_log" "$kembrin_log"; do
        [[ -f $log ]] && sed "s|^|  $(basename "$log"): |" "$log"
    done
    echo "case $case_name: $failures check(s) failed"
    exit 1
fi
echo "case $case_name: all checks passed"
