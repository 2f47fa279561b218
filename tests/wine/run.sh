#!/usr/bin/env bash
# Runs the Windows-side tests under Wine: first the ctest programs of build/windows, then every
# tests/wine/e2e/*.sh in name order, each case in its own fresh copy of a base prefix built
# once per run, on a private Xvfb display. Prints PASS/FAIL/SKIP per case and one summary line
# ("wine: N passed, N failed, N skipped"); exits 0 only when nothing failed. A case skips by
# printing "SKIP: reason" and exiting 77. With CI=true only the skips listed in ci_may_skip
# below are allowed; any other skip counts as a failure.
#
#   tests/wine/run.sh [--keep] [--reuse-base] [CASE...]
#
# CASE is an e2e script name (10_uidriver or 10_uidriver.sh) or "ctest"; without any, all run.
# --keep keeps every case's prefix, not only the failed ones. --reuse-base keeps the base
# prefix of the previous run when there is one (quicker when iterating on one case).
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root" || exit 1
unset WINEPREFIX
# shellcheck disable=SC2034 # read by lib.sh: no prefix yet
VTRL_HARNESS=1
# shellcheck source=tests/wine/lib.sh
source "$root/tests/wine/lib.sh"

case_timeout=${VTRL_CASE_TIMEOUT:-120}
keep_all=0
reuse_base=0
selected=()
for arg in "$@"; do
    case $arg in
    --keep) keep_all=1 ;;
    --reuse-base) reuse_base=1 ;;
    -h | --help)
        sed -n '2,12p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    -*)
        echo "run.sh: unknown option $arg" >&2
        exit 2
        ;;
    *) selected+=("${arg%.sh}") ;;
    esac
done

base=$VTRL_WINE_DIR/base
cases_dir=$VTRL_WINE_DIR/cases
logs_dir=$VTRL_WINE_DIR/logs
guard_dir=$VTRL_WINE_DIR/guard
for tool in uidriver.exe record_browser.exe ui_fixture.exe shell_open.exe; do
    if [[ ! -f $VTRL_BIN/$tool ]]; then
        echo "run.sh: $VTRL_BIN/$tool is missing; build the windows preset first" >&2
        exit 2
    fi
done
mkdir -p "$cases_dir" "$logs_dir" "$VTRL_SCREENS"

# One run at a time: runs share the base prefix.
exec 9>"$VTRL_WINE_DIR/run.lock"
if ! flock -n 9; then
    echo "run.sh: waiting for another run to finish" >&2
    flock 9
fi

# Wine and its helpers get a home of their own, so nothing lands in the real user's profile
# (menu entries, file associations, caches).
export HOME=$VTRL_WINE_DIR/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$HOME"
export LANG=C.UTF-8
unset LC_ALL

# No real browser may ever start. Every association Wine gives its own winebrowser is pointed
# at the recording browser; should anything still reach for a Unix browser or opener, it finds
# these stand-ins first on PATH, which record the attempt in the case's leak log and fail.
export VTRL_GUARD_BIN=$guard_dir/bin
rm -rf "$guard_dir"
mkdir -p "$VTRL_GUARD_BIN"
for opener in vtrl-no-browser vtrl-no-mailer xdg-open xdg-email sensible-browser \
    x-www-browser www-browser gnome-www-browser gio gvfs-open kde-open kde-open5 kfmclient \
    exo-open gnome-open firefox firefox-esr chromium chromium-browser google-chrome \
    konqueror mozilla netscape galeon opera dillo epiphany lynx w3m links \
    mozilla-thunderbird thunderbird evolution; do
    cat >"$VTRL_GUARD_BIN/$opener" <<'EOF'
#!/bin/sh
# Stands in for a real browser or opener during the Wine tests: none may ever start.
echo "$(basename "$0") $*" >>"${VTRL_LEAK_LOG:-/dev/null}"
exit 1
EOF
    chmod 755 "$VTRL_GUARD_BIN/$opener"
done
export PATH=$VTRL_GUARD_BIN:$PATH

xvfb_pid=""
current_prefix=""
case_pid=""
cleanup() {
    if [[ -n $case_pid ]]; then
        kill "$case_pid" 2>/dev/null
        wait "$case_pid" 2>/dev/null
    fi
    if [[ -n $current_prefix ]]; then
        vtrl_standard_stop "$current_prefix"
        WINEPREFIX=$current_prefix vtrl_server_stop
    fi
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'echo "run.sh: interrupted" >&2; exit 130' INT TERM

start_xvfb() {
    local number
    for number in $(seq 90 99); do
        if [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]]; then
            continue
        fi
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -ac \
            >"$logs_dir/xvfb.log" 2>&1 </dev/null 9>&- &
        xvfb_pid=$!
        local _
        for _ in $(seq 50); do
            if [[ -S /tmp/.X11-unix/X$number ]]; then
                export DISPLAY=:$number
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    echo "run.sh: no free display among :90..:99 (see $logs_dir/xvfb.log)" >&2
    return 1
}

# The settings every case starts from, applied to the base prefix.
write_base_settings() {
    local reg=$1 browser='\"C:\\vtrltest\\record_browser.exe\" \"%1\"'
    {
        echo 'REGEDIT4'
        echo
        local key
        # Every command Wine gives to its own browser (http, https, ftp, mailto, htmlfile, ...).
        # Keys in system.reg are relative to HKEY_LOCAL_MACHINE, with doubled backslashes.
        while IFS= read -r key; do
            printf '[HKEY_LOCAL_MACHINE\\%s]\n@="%s"\n\n' "$key" "$browser"
        done < <(awk '/^\[/ { section = $0 } /winebrowser/ && /^@=/ { print section }' \
            "$base/system.reg" | sed -e 's/^\[//' -e 's/\] [0-9]*$//' -e 's/\\\\/\\/g' |
            sort -u)
        for key in http https; do
            printf '[HKEY_CLASSES_ROOT\\%s\\shell\\open\\command]\n@="%s"\n\n' "$key" "$browser"
        done
        # winebrowser itself, should anything start it, reaches only the stand-ins.
        echo '[HKEY_CURRENT_USER\Software\Wine\WineBrowser]'
        echo '"Browsers"="vtrl-no-browser"'
        echo '"Mailers"="vtrl-no-mailer"'
        echo
        # No menu entries or Unix file associations for the links tests create.
        echo '[HKEY_CURRENT_USER\Software\Wine\DllOverrides]'
        echo '"winemenubuilder.exe"=""'
        echo
        # A virtual desktop stands in for a window manager: windows get their frames, and
        # hiding one does not wait a second for a manager that is not there.
        echo '[HKEY_CURRENT_USER\Software\Wine\Explorer]'
        echo '"Desktop"="Default"'
        echo
        echo '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]'
        echo '"Default"="1280x1024"'
    } >"$reg"
}

make_base() {
    if [[ $reuse_base == 1 && -f $base/.vtrl-base ]]; then
        echo "base prefix: reusing $base"
        return 0
    fi
    local log=$logs_dir/base.log started=$SECONDS
    rm -rf "$base"
    {
        WINEPREFIX=$base wineboot -i </dev/null
        WINEPREFIX=$base wineserver -w
    } >"$log" 2>&1 9>&-
    if [[ ! -f $base/system.reg ]]; then
        echo "run.sh: wineboot failed (see $log)" >&2
        return 1
    fi
    # wineboot links Desktop, Documents and the like to $HOME, which every copy would share;
    # real folders keep the cases apart.
    local link
    while IFS= read -r -d '' link; do
        rm "$link" && mkdir "$link"
    done < <(find "$base/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0)
    mkdir -p "$base/drive_c/vtrltest"
    cp "$VTRL_BIN/record_browser.exe" "$base/drive_c/vtrltest/"
    write_base_settings "$VTRL_WINE_DIR/base-settings.reg"
    (
        vtrl_use_prefix "$base"
        vtrl_server_start 9>&-
        vtrl_wine 60 regedit /S "$(win_path "$VTRL_WINE_DIR/base-settings.reg")"
        vtrl_server_stop
    ) >>"$log" 2>&1
    if ! grep -q 'record_browser' "$base/system.reg" ||
        ! grep -q 'winemenubuilder' "$base/user.reg"; then
        echo "run.sh: the base prefix settings did not take (see $log)" >&2
        return 1
    fi
    touch "$base/.vtrl-base"
    echo "base prefix: $base ($((SECONDS - started)) s)"
}

passed=0
failed=0
skipped=0

# What may skip also on CI, because its reason holds there too. Everything else must run on CI:
# the CI machine is set up for it (root, mounts allowed, a writable HKEY_LOCAL_MACHINE).
ci_may_skip=(
    # Runs in case 53 against its loopback server; on its own it has none.
    ctest/vantorel_wine_tests/RealFrameworkDialog.SubscribesAgainstALoopbackServer
)

# Counts a skip, or a failure when CI must not skip it. NAME REASON [LOG]
count_skip() {
    local allowed=0 name
    for name in "${ci_may_skip[@]}"; do
        [[ $name == "$1" ]] && allowed=1
    done
    if [[ ${CI:-} == true && $allowed == 0 ]]; then
        failed=$((failed + 1))
        report FAIL "$1" "skipped, which CI does not allow: $2" "${3:-}"
        return 1
    fi
    skipped=$((skipped + 1))
    report SKIP "$1" "($2)"
}

# How long each case took, from copying its prefix to its result, goes to the timings file.
timings=$logs_dir/timings.txt
case_started=""
now() { date +%s.%N; }

report() { # STATUS NAME [DETAIL] [LOG]
    if [[ -n $case_started ]]; then
        awk -v name="$2" -v from="$case_started" -v to="$(now)" \
            'BEGIN { printf "%-40s %6.1f s\n", name, to - from }' >>"$timings"
    fi
    if [[ $1 == PASS || $1 == SKIP ]]; then
        echo "$1 $2${3:+ $3}"
    else
        echo "FAIL $2 (${3:+$3; }log: $4)"
        # The log's end says what failed, also where only this output survives (CI); of a
        # GoogleTest log its first failures too, which a long trace would push out of the end.
        if [[ -s ${4:-} ]]; then
            if grep -q ': Failure$' "$4"; then
                grep -m 2 -A 8 ': Failure$' "$4" | sed 's/^/  | /'
                echo "  | ..."
                tail -n 8 "$4" | sed 's/^/  | /'
            else
                tail -n 15 "$4" | sed 's/^/  | /'
            fi
        fi
    fi
}

# Prepares a fresh prefix for a case and starts its server.
begin_case() {
    local name=$1
    case_started=$(now)
    case_dir=$cases_dir/$name
    rm -rf "$case_dir"
    mkdir -p "$case_dir"
    current_prefix=$case_dir/prefix
    vtrl_copy_prefix "$base" "$current_prefix"
    vtrl_use_prefix "$current_prefix"
    export VTRL_CASE_DIR=$case_dir
    export VTRL_LEAK_LOG=$case_dir/leaks.log
    : >"$VTRL_LEAK_LOG"
    vtrl_server_start 9>&-
}

# Stops the case's servers and checks what no case may do. Returns 1 when it did.
end_case() {
    local log=$1 status=0
    vtrl_standard_stop "$current_prefix"
    vtrl_server_stop
    if [[ -s $VTRL_LEAK_LOG ]]; then
        {
            echo "run.sh: a real browser or opener was started:"
            cat "$VTRL_LEAK_LOG"
        } >>"$log"
        status=1
    fi
    local written
    written=$(find "$base/drive_c/windows/system32" -newer "$base/.vtrl-base" -print -quit)
    if [[ -n $written ]]; then
        echo "run.sh: the case wrote into system32, which is shared with the base ($written)" \
            >>"$log"
        status=1
    fi
    return $status
}

# Runs a command of the harness in the background and waits for it, so that an interrupt
# reaches the trap at once and the trap can end the command.
run_guarded() { # LOG COMMAND...
    local log=$1
    shift
    "$@" >>"$log" 2>&1 </dev/null 9>&- &
    case_pid=$!
    local rc=0
    wait "$case_pid" || rc=$?
    case_pid=""
    return $rc
}

finish_case() { # PASSED(0|1)
    if [[ $1 == 1 && $keep_all == 0 ]]; then
        rm -rf "$case_dir"
    else
        echo "  prefix kept: $current_prefix"
    fi
    current_prefix=""
}

# Reads the GoogleTest XML reports in a folder: one "F Suite.Test" line per failed test, one
# "S Suite.Test" per skipped one, then "C passed failed skipped".
gtest_results() {
    cat "$1"/*.xml 2>/dev/null | awk '
        function attribute(line, key,   rest) {
            if (!match(line, " " key "=\"[^\"]*\"")) return ""
            rest = substr(line, RSTART + length(key) + 3, RLENGTH - length(key) - 4)
            return rest
        }
        function finish() {
            if (test == "") return
            if (failedTest) { failed++; print "F " test }
            else if (skippedTest) { skipped++; print "S " test }
            else passed++
        }
        /<testcase / {
            finish()
            test = attribute($0, "classname") "." attribute($0, "name")
            failedTest = 0
            skippedTest = ($0 ~ /result="skipped"/ || $0 ~ /status="notrun"/)
        }
        /<failure/ { failedTest = 1 }
        END { finish(); printf "C %d %d %d\n", passed, failed, skipped }'
}

# The ctest programs, one ctest entry at a time so that each entry's GoogleTest report can be
# told apart; their tests are counted one by one.
run_ctest() {
    local log=$logs_dir/ctest.log
    local -a names
    mapfile -t names < <(ctest --test-dir build/windows -N 2>/dev/null |
        sed -n 's/^ *Test *#[0-9]*: //p')
    [[ ${#names[@]} -gt 0 ]] || return 0
    begin_case ctest
    : >"$log"
    local index all_ok=1
    for index in "${!names[@]}"; do
        local name=${names[index]} number=$((index + 1)) xml_dir
        xml_dir=$case_dir/gtest/$number
        mkdir -p "$xml_dir"
        local rc=0
        GTEST_OUTPUT="xml:$(win_path "$xml_dir")\\" run_guarded "$log" \
            timeout --kill-after=5 $((case_timeout + 10)) \
            ctest --test-dir build/windows --output-on-failure --timeout "$case_timeout" \
            -I "$number,$number" || rc=$?
        local counts ok=0 bad=0 skips=0 test skips_ok=1
        counts=$(gtest_results "$xml_dir")
        read -r _ ok bad skips < <(grep '^C ' <<<"$counts")
        while IFS= read -r test; do
            report FAIL "ctest/$name/${test#F }" "" "$log"
        done < <(grep '^F ' <<<"$counts")
        while IFS= read -r test; do
            count_skip "ctest/$name/${test#S }" "GTEST_SKIP" "$log" || skips_ok=0
        done < <(grep '^S ' <<<"$counts")
        passed=$((passed + ok))
        failed=$((failed + bad))
        if [[ $rc == 0 && $bad == 0 && $ok -gt 0 ]]; then
            if [[ $skips == 0 ]]; then
                report PASS "ctest/$name" "($ok tests)"
            else
                report PASS "ctest/$name" "($ok tests, $skips skipped)"
            fi
            [[ $skips_ok == 1 ]] || all_ok=0
        else
            all_ok=0
            if [[ $bad == 0 ]]; then
                # It failed without a failing test: it crashed, timed out, never started, or
                # ran no test at all (every entry is a GoogleTest program, and one that runs
                # nothing proves nothing).
                failed=$((failed + 1))
                if [[ $rc == 0 ]]; then
                    report FAIL "ctest/$name" "no test ran" "$log"
                else
                    report FAIL "ctest/$name" "exit $rc" "$log"
                fi
            fi
        fi
    done
    if ! end_case "$log"; then
        all_ok=0
        failed=$((failed + 1))
        report FAIL ctest "harness check" "$log"
    fi
    finish_case "$all_ok"
}

run_e2e() {
    local script=$1 name
    name=$(basename "$script" .sh)
    local log=$logs_dir/$name.log rc=0
    begin_case "$name"
    : >"$log"
    # A case that handles very large files may ask for more time in a "# case-timeout: N" line.
    local limit=$case_timeout declared
    declared=$(sed -n 's/^# case-timeout: \([0-9][0-9]*\)$/\1/p' "$script" | head -n 1)
    if [[ -n $declared ]] && ((declared > limit)); then
        limit=$declared
    fi
    run_guarded "$log" timeout --kill-after=5 "$limit" bash "$script" || rc=$?
    if [[ $rc == 124 || $rc == 137 ]]; then
        echo "run.sh: timed out after $limit s" >>"$log"
    fi
    if ! end_case "$log" && [[ $rc == 0 || $rc == 77 ]]; then
        rc=1
    fi
    if [[ $rc == 0 ]]; then
        passed=$((passed + 1))
        report PASS "$name"
    elif [[ $rc == 77 ]]; then
        local reason
        reason=$(sed -n 's/^SKIP: *//p' "$log" | tail -n 1)
        count_skip "$name" "${reason:-no reason given}" "$log" || rc=1
    else
        failed=$((failed + 1))
        report FAIL "$name" "" "$log"
    fi
    finish_case $((rc == 0 || rc == 77))
}

is_selected() {
    [[ ${#selected[@]} -eq 0 ]] && return 0
    local wanted
    for wanted in "${selected[@]}"; do
        [[ $wanted == "$1" ]] && return 0
    done
    return 1
}

run_started=$SECONDS
: >"$timings"
start_xvfb || exit 1
make_base || exit 1
if is_selected ctest; then
    run_ctest
fi
for script in "$root"/tests/wine/e2e/*.sh; do
    [[ -e $script ]] || continue
    if is_selected "$(basename "$script" .sh)"; then
        run_e2e "$script"
    fi
done
echo "time: $((SECONDS - run_started)) s (per case: $timings)"
echo "wine: $passed passed, $failed failed, $skipped skipped"
[[ $failed == 0 ]]
