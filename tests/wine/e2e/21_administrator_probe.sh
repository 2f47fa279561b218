#!/usr/bin/env bash
# The administrator probe says yes for the prefix's administrator and no for a standard user
# (who may write the registry here but not the root of the Windows drive), and leaves no
# "Test" value and no probe file behind either way.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

facts=$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | tr -d '\r')
assert_eq "IsAdmin=1" "$(grep '^IsAdmin=' <<<"$facts")" "administrator"
assert_eq "VersionText=1.00" "$(grep '^VersionText=' <<<"$facts")" "version text"
reg_missing 'HKEY_LOCAL_MACHINE\Software\Microsoft' Test
assert_no_file "$(drive_c)/testwrit"

standard=$(run_as_standard_user "$VTRL_BIN/facts_probe.exe" | tr -d '\r')
assert_eq "IsAdmin=0" "$(grep '^IsAdmin=' <<<"$standard")" "standard user"
grep -q '^DataFolder=.*\\VTRL1$' <<<"$standard" || fail "standard user has no data folder: $standard"
if run_as_standard_user wine reg query 'HKEY_LOCAL_MACHINE\Software\Microsoft' /v Test \
    >/dev/null 2>&1; then
    fail "the standard user's probe left a Test value behind"
fi
