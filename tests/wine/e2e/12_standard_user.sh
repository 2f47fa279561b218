#!/usr/bin/env bash
# What run_as_standard_user simulates: the drive root, Program Files and the all-users Startup
# folder refuse writes, the profile and HKCU stay writable, and (a limit of Wine, recorded here
# so that no test relies on the opposite) HKLM stays writable too. The administrator can do it
# all.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

# The standard user first, so that the copy is taken before the administrator creates anything.
rc=0
out=$(run_as_standard_user vtrl_wine 30 cmd /c mkdir 'C:\testwrit' 2>&1) || rc=$?
printf 'standard user, mkdir C:\\testwrit: exit %s: %s\n' "$rc" "${out//$'\r'/}"
[[ $rc != 0 ]] || fail "a standard user created C:\\testwrit"
[[ ! -e $WINEPREFIX-std/prefix/drive_c/testwrit ]] ||
    fail "C:\\testwrit exists in the standard user's prefix"

rc=0
run_as_standard_user vtrl_wine 30 cmd /c mkdir 'C:\Program Files\testwrit' >/dev/null 2>&1 ||
    rc=$?
[[ $rc != 0 ]] || fail "a standard user created a folder in Program Files"

# Nor in the all-users Startup folder, the one that starts programs for everybody.
common_startup='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\StartUp'
rc=0
run_as_standard_user vtrl_wine 30 cmd /c copy 'C:\windows\win.ini' "$common_startup\x.ini" \
    >/dev/null 2>&1 || rc=$?
[[ $rc != 0 ]] || fail "a standard user wrote to the all-users Startup folder"

# The profile is the user's own (the folder name has no spaces: cmd and Wine quote differently).
run_as_standard_user vtrl_wine 30 cmd /c mkdir '%APPDATA%\testwrit' >/dev/null ||
    fail "a standard user cannot write to its own profile"
[[ -d $WINEPREFIX-std/prefix/drive_c/users/$VTRL_STD_USER/AppData/Roaming/testwrit ]] ||
    fail "the profile folder is not where it should be"

run_as_standard_user reg_set 'HKCU\Software\VantorelTest' Probe REG_SZ standard
assert_eq standard "$(run_as_standard_user reg_get 'HKCU\Software\VantorelTest' Probe)" "HKCU"

# Wine enforces no registry permissions: HKLM is writable for everyone.
rc=0
run_as_standard_user reg_set 'HKLM\Software\VantorelTest' Probe REG_SZ standard || rc=$?
echo "standard user, write HKLM\\Software\\VantorelTest: exit $rc"
assert_eq 0 "$rc" "HKLM write as a standard user (Wine allows it)"
assert_eq standard "$(run_as_standard_user reg_get 'HKLM\Software\VantorelTest' Probe)" "HKLM"

# Windows programs see the Unix account's name and a profile of its own.
user=$(run_as_standard_user vtrl_wine 30 cmd /c echo '%USERNAME%:%USERPROFILE%')
assert_eq "$VTRL_STD_USER:C:\\users\\$VTRL_STD_USER" "${user%$'\r'}" "the standard user's account"

# The administrator, in the case's own prefix, which the standard user's copy did not change.
vtrl_wine 30 cmd /c mkdir 'C:\testwrit' >/dev/null ||
    fail "the administrator cannot create C:\\testwrit"
assert_file_exists 'C:\testwrit'
vtrl_wine 30 cmd /c mkdir 'C:\Program Files\testwrit' >/dev/null ||
    fail "the administrator cannot write to Program Files"
vtrl_wine 30 cmd /c copy 'C:\windows\win.ini' "$common_startup\x.ini" >/dev/null ||
    fail "the administrator cannot write to the all-users Startup folder"
reg_missing 'HKLM\Software\VantorelTest' || fail "the standard user's copy leaked into the prefix"
reg_set 'HKLM\Software\VantorelTest' Probe REG_SZ admin
assert_eq admin "$(reg_get 'HKLM\Software\VantorelTest' Probe)" "HKLM as the administrator"
