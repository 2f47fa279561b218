#!/usr/bin/env bash
# Command lines of every mode with extra characters. Exact words with anything added match no
# mode and end at once; hand-off words with a name that is not a plain file name in the data
# folder, a missing file or a file of one line show nothing and end; "preopen" with quotes or
# 30,000 characters opens the manager window. No command line reads, deletes or changes a
# file outside the data folder, or stores a reminder time.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

program=$(win_path "$VTRL_BIN/vantorel.exe")
window='Vantorel 1.0'
remind='HKCU\Software\VB and VBA Program Settings\VTRL\Remind'
data=$(vtrl_data_folder)
mkdir -p "$(drive_c)/vtrltest"

# Hand-off files where no hand-off may be read: beside the data folder, in C:\vtrltest, at C:\.
handoff=$'c:\\vtrltest\r\nx.exe\r\n'
outside=("$(dirname "$data")/x" "$(drive_c)/vtrltest/x" "$(drive_c)/x")
for file in "${outside[@]}"; do printf '%s' "$handoff" >"$file"; done
# In the data folder: one line only, which is no hand-off.
printf 'c:\\vtrltest\r\n' >"$data/short"
sums() { sha256sum "${outside[@]}" "$data/short"; }
before=$(sums)

long=$(printf 'a%.0s' $(seq 30000))
quick=(
    "startupX" "Xstartup" "startup " "updatesX" "langX" "subscribe2" "vexo." 'install"'
    "uninstall x" "unknown words and more words"
    'notifi..\x' 'notifi..\..\..\..\vtrltest\x' 'notifiC:\vtrltest\x' 'notifi/x' 'notifi"x"'
    'notifi' 'notifi.' 'notifiCON' 'notifi..' 'unknownC:\vtrltest\x' 'unknown..\x'
    'unknown\\?\C:\x' 'unknownx*' 'notifiunknown..\x' 'unknownshort' "notifi$long"
    "unknown$long" "$long"
)
for line in "${quick[@]}"; do
    result=$(vtrl_wine 60 "$VTRL_BIN/run_with_command_line.exe" "$program" "$line" 20000 | tr -d '\r')
    shown=${line:0:40}
    case $result in
    exit=0\ ms=*) ;;
    *) fail "command line '$shown': expected a clean exit, got '$result'" ;;
    esac
    elapsed=${result##*ms=}
    ((elapsed < 10000)) || fail "command line '$shown' took $elapsed ms"
    windows=$(uidriver list vantorel.exe || true)
    [[ -z $windows ]] || fail "command line '$shown' left windows: $windows"
done
assert_no_crash "the quick command lines"
assert_eq "$before" "$(sums)" "files outside the data folder (or the short hand-off) changed"
reg_missing "$remind" || fail "a reminder time was stored: $(reg_get "$remind" x.exe || true)"

# "preopen" with quotes and with 30,000 characters: the manager window, which closes cleanly.
for line in 'preopen"notepad.exe"' "preopen$long"; do
    vtrl_start "$VTRL_BIN/run_with_command_line.exe" "$program" "$line" 60000
    probe=$VTRL_LAST_PID
    uidriver wait-window "$window" 30000 >/dev/null || fail "'${line:0:40}' opened no manager window"
    uidriver close "$window"
    uidriver wait-gone "$window" 20000
    wait "$probe"
    result=$(tr -d '\r' <"$VTRL_CASE_DIR/run_with_command_line.exe.out" | tail -n 1)
    [[ $result == exit=0\ * ]] || fail "'${line:0:40}' ended with '$result'"
done
assert_no_crash "preopen"
assert_eq "$before" "$(sums)" "files after preopen"
assert_no_file "$data/fileerror.txt" "an error marker"
