#!/usr/bin/env bash
# A command line that matches no mode ends the program at once: no window, no error marker,
# only the data folder that every start makes sure of.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

program=$(win_path "$VTRL_BIN/vantorel.exe")
# The data folder's path, found without creating it; it must not exist before the program runs,
# or the check below would prove nothing.
appdata=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" --no-create |
    sed -n 's/^DataFolder=//p' | tr -d '\r')")
[[ -n $appdata && $appdata != / ]] || fail "no data folder path from the probe"
rm -rf "$appdata"
[ ! -e "$appdata" ] || fail "the data folder $appdata could not be removed first"
# (A leading blank never reaches the program: the run-time skips the blanks after its name.)
for line in "Startup" "INSTALL" "lang " "startup2" "uninstall2" "--help" "/?"; do
    result=$(vtrl_wine 30 "$VTRL_BIN/run_with_command_line.exe" "$program" "$line" 10000)
    case "$result" in
        exit=0\ ms=*) ;;
        *) fail "command line '$line': expected a quick, clean exit, got '$result'" ;;
    esac
    elapsed=${result##*ms=}
    elapsed=${elapsed%%[^0-9]*}
    [ "$elapsed" -lt 5000 ] || fail "command line '$line' took ${elapsed} ms to end"
done

windows=$(uidriver list vantorel.exe || true)
[ -z "$windows" ] || fail "vantorel.exe still has windows: $windows"

[ -d "$appdata" ] || fail "the data folder $appdata was not created"
assert_eq "VTRL1" "$(basename "$appdata")" "data folder name"
assert_no_file "$appdata/fileerror.txt"
