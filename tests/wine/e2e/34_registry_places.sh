#!/usr/bin/env bash
# Every registry place beyond the Run keys, end to end: a record planted in each (RunOnceEx
# sections and Depend keys, the policy Run keys (whose 32-bit path is the same key), the Windows
# key's "Load", Winlogon's "Userinit" and "Shell", "BootExecute", "StartupPrograms",
# "BootVerificationProgram", Active Setup in both views) is listed by `vantorelc list --json`
# with its Kind; restricted, each burst of them (the value lists, the RunOnceEx sections, the
# Active Setup components) is removed by the resident agent within two seconds, each with its
# backup, while Windows' own items stay (one key does not exist when the agent starts); restored
# from the undo page, every value is byte for byte as it was planted. Windows' disk check in the
# form chkntfs writes is Windows' own too, and a program that took the place of "rdpclip" leaves
# "rdpclip" behind when it goes.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
agent=$VTRL_AGENT_CAPTION
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
data=$(vtrl_data_folder)
mkdir -p "$data"

p=$(drive_c)/vtrlplaces
mkdir -p "$p"
for n in $(seq -w 1 13); do
    cp "$VTRL_BIN/version_none.exe" "$p/p$n.exe"
done
cp "$VTRL_BIN/version_none.exe" "$p/dep.dll"
cp "$VTRL_BIN/version_none.exe" "$p/call.dll"
cp "$VTRL_BIN/version_none.exe" "$p/keeper.exe"

cv='Software\Microsoft\Windows\CurrentVersion'
nt='Software\Microsoft\Windows NT\CurrentVersion'
ctl='HKLM\SYSTEM\CurrentControlSet\Control'
# One place a line, fields separated by tabs: KIND KEY VALUE TYPE PLANTED BEFORE AFTER, where
# BEFORE is the value before the plant and AFTER what the removal must leave ("-": no value,
# "(empty)": an empty text). Multi-string items are separated by \0; every planted program lives
# in C:\vtrlplaces.
places=$(cat <<PLACES
RUNONCEEX	HKLM\\$cv\RunOnceEx\0001	Entry1	REG_SZ	||C:\vtrlplaces\p01.exe	-	-
RUNONCEEX	HKLM\\$cv\RunOnceEx\0001\Depend	1	REG_SZ	C:\vtrlplaces\dep.dll	-	-
RUNONCEEX	HKCU\\$cv\RunOnceEx\0002	Call	REG_SZ	C:\vtrlplaces\call.dll|Start	-	-
POLICYRUN	HKCU\\$cv\Policies\Explorer\Run	Pol	REG_SZ	C:\vtrlplaces\p04.exe	-	-
POLICYRUN	HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Policies\Explorer\Run	Pol32	REG_EXPAND_SZ	C:\vtrlplaces\p05.exe	-	-
WINLOAD	HKCU\\$nt\Windows	Load	REG_SZ	C:\vtrlplaces\p06.exe	-	(empty)
WINLOGON	HKLM\\$nt\Winlogon	Userinit	REG_SZ	C:\windows\system32\userinit.exe,C:\vtrlplaces\p07.exe,	C:\windows\system32\userinit.exe,	C:\windows\system32\userinit.exe,
WINLOGON	HKCU\\$nt\Winlogon	Shell	REG_SZ	explorer.exe, C:\vtrlplaces\p08.exe	-	explorer.exe
BOOTEXECUTE	$ctl\Session Manager	BootExecute	REG_MULTI_SZ	autocheck autochk /k:D *\0C:\vtrlplaces\p09.exe	autocheck autochk *	autocheck autochk /k:D *
RDPSTARTUP	$ctl\Terminal Server\Wds\rdpwd	StartupPrograms	REG_SZ	C:\vtrlplaces\p10.exe	rdpclip	rdpclip
BOOTVERIFY	$ctl\BootVerificationProgram	ImagePath	REG_EXPAND_SZ	C:\vtrlplaces\p11.exe	-	-
ACTIVESETUP	HKLM\Software\Microsoft\Active Setup\Installed Components\{VTRL-PLACES}	StubPath	REG_SZ	C:\vtrlplaces\p12.exe /stub	-	-
ACTIVESETUP	HKLM\Software\WOW6432Node\Microsoft\Active Setup\Installed Components\{VTRL-PLACES}	StubPath	REG_SZ	C:\vtrlplaces\p13.exe	-	-
PLACES
)
# What Windows itself reads from these places: present before, after removal, after restore.
reg_set "HKLM\\$nt\\Winlogon" Shell REG_SZ 'explorer.exe'

# each_place FUNCTION: calls FUNCTION KIND KEY VALUE TYPE PLANTED BEFORE AFTER for every place;
# stops at the first call that fails.
each_place() {
    local -a f
    while IFS=$'\t' read -r -a f; do
        "$1" "${f[@]}" || return 1
    done <<<"$places"
}
plant() { reg_set "$2" "$3" "$4" "$5"; }
put_before() {
    if [[ $6 == - ]]; then
        reg_delete "$2" "$3"
    else
        reg_set "$2" "$3" "$4" "$6"
    fi
}
# The value as reg_get reads it, with multi-string items separated by a visible \0.
exact() {
    local text
    text=$(reg_get "$1" "$2" | tr '\0' '\a' | sed 's/\a/\\0/g') || return 1
    printf '%s\n' "${text:-(empty)}"
}

# Restricted: every planted program; the keeper stays approved so the agent has a record.
crlf() { printf '%s\r\n' "$@"; }
reg_set "HKCU\\$cv\\Run" Keeper REG_SZ 'C:\vtrlplaces\keeper.exe'
{
    for n in $(seq -w 1 11) 13; do
        crlf "" 'c:\vtrlplaces' "p$n.exe" '' N Y 2 "" "" "" ""
    done
    crlf "" 'c:\vtrlplaces' 'p12.exe' '/stub' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrlplaces' 'dep.dll' '' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrlplaces' 'call.dll' 'Start' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrlplaces' 'keeper.exe' '' N N 1 "" "" "" ""
} >"$data/ActionsDB.txt"
reg_set "$settings" NotifiWin REG_SZ NO
reg_set "$settings" Sound REG_SZ NO
reg_set "$settings" Unknown REG_SZ NO

# 1. Listed, each under its Kind.
each_place plant
rc=0
vtrl_wine 60 "$lc" list --json >"$out/list.json" 2>"$out/list.err" || rc=$?
assert_eq 0 "$rc" "exit code of list --json ($(cat "$out/list.err"))"
python3 - "$out/list.json" <<'PY' || fail "the places in the listing (see the log)"
import json, sys
records = [r for r in json.load(open(sys.argv[1], encoding="utf-8"))
           if r["ExeFolder"] == "C:\\VTRLPLACES" and r["ExeName"] != "keeper.exe"]
seen = sorted((r["Kind"], r["EntryName"], r["CommandLine"]) for r in records)
expected = sorted([
    ("RUNONCEEX", "Entry1", "||C:\\vtrlplaces\\p01.exe"),
    ("RUNONCEEX", "1", "C:\\vtrlplaces\\dep.dll"),
    ("RUNONCEEX", "Call", "C:\\vtrlplaces\\call.dll|Start"),
    ("POLICYRUN", "Pol", "C:\\vtrlplaces\\p04.exe"),
    ("POLICYRUN", "Pol32", "C:\\vtrlplaces\\p05.exe"),
    ("WINLOAD", "Load", "C:\\vtrlplaces\\p06.exe"),
    ("WINLOGON", "Userinit", "C:\\vtrlplaces\\p07.exe"),
    ("WINLOGON", "Shell", "C:\\vtrlplaces\\p08.exe"),
    ("BOOTEXECUTE", "BootExecute", "C:\\vtrlplaces\\p09.exe"),
    ("RDPSTARTUP", "StartupPrograms", "C:\\vtrlplaces\\p10.exe"),
    ("BOOTVERIFY", "ImagePath", "C:\\vtrlplaces\\p11.exe"),
    ("ACTIVESETUP", "StubPath", "C:\\vtrlplaces\\p12.exe /stub"),
    ("ACTIVESETUP", "StubPath", "C:\\vtrlplaces\\p13.exe"),
])
if seen != expected:
    print("listed:   ", seen)
    print("expected: ", expected)
    sys.exit(1)
if not all(r["Found"] for r in records):
    print("not found:", [r["CommandLine"] for r in records if not r["Found"]])
    sys.exit(1)
PY
# Windows' own items are no records.
if grep -qi 'userinit.exe\|"explorer.exe\|autochk\|rdpclip' "$out/list.json"; then
    fail "Windows' own items are listed: $(grep -oi '"CommandLine": *"[^"]*\(userinit\|explorer\|autochk\|rdpclip\)[^"]*"' "$out/list.json")"
fi

# 2. All of them planted at once while the agent runs; one key is missing when it starts.
each_place put_before
reg_delete "HKCU\\$cv\\Policies\\Explorer\\Run"
start_agent
sleep 1
# plant_reg KIND KEY VALUE TYPE PLANTED ...: the place's planted value as .reg lines.
plant_reg() {
    local key=$2 root
    case ${key%%\\*} in
    HKLM) root=HKEY_LOCAL_MACHINE ;;
    HKCU) root=HKEY_CURRENT_USER ;;
    esac
    printf '\n[%s\\%s]\n' "$root" "${key#*\\}"
    python3 - "$3" "$4" "$5" <<'PY'
import sys
name, kind, data = sys.argv[1:]
def hexes(text, tag):
    raw = text.encode("utf-16-le")
    return "hex(%s):" % tag + ",".join("%02x" % b for b in raw)
quoted = '"%s"' % name.replace("\\", "\\\\").replace('"', '\\"')
if kind == "REG_SZ":
    print('%s="%s"' % (quoted, data.replace("\\", "\\\\").replace('"', '\\"')))
elif kind == "REG_EXPAND_SZ":
    print("%s=%s" % (quoted, hexes(data + "\0", 2)))
else:
    print("%s=%s" % (quoted, hexes(data.replace("\\0", "\0") + "\0\0", 7)))
PY
}
# Each backup entry is written just before its record goes: the log tells when all have gone.
entries() { tr -d '\r' <"$data/BackupAndLog.txt" 2>/dev/null | grep -c '^=\{74\}$' || true; }
# burst PATTERN COUNT: plants at once every place whose kind matches, then waits until the log
# holds COUNT entries; fails unless that took at most two seconds. A separate burst per kind of
# watch, so that no other place's change can start the pass that finds these.
burst() {
    local file=$out/burst.reg start ms
    {
        echo 'Windows Registry Editor Version 5.00'
        only() { [[ $1 =~ $pattern ]] || return 0; plant_reg "$@"; }
        pattern=$1 each_place only
    } >"$file.txt"
    iconv -f UTF-8 -t UTF-16 "$file.txt" >"$file"
    vtrl_wine 30 regedit /S "$(win_path "$file")"
    start=$(now_ms)
    for _ in $(seq 100); do
        [[ $(entries) == "$2" ]] && break
        sleep 0.05
    done
    ms=$(($(now_ms) - start))
    assert_eq "$2" "$(entries)" "backup entries after the $1 burst"
    ((ms <= 2000)) || fail "the $1 records took $ms ms to go"
}
burst '^(POLICYRUN|WINLOAD|WINLOGON|BOOTEXECUTE|RDPSTARTUP|BOOTVERIFY)$' 8
burst '^RUNONCEEX$' 11
burst '^ACTIVESETUP$' 13
removed() {
    if [[ $7 == - ]]; then
        reg_missing "$2" "$3"
    else
        assert_eq "$7" "$(exact "$2" "$3")" "$1 $2 [$3] after the removal"
    fi
}
each_place removed || fail "not every planted record was removed"
uidriver close "$agent"
uidriver wait-gone "$agent" 10000

# Windows' own items stayed; Winlogon's values are not empty.
assert_eq 'explorer.exe' "$(exact "HKLM\\$nt\\Winlogon" Shell)" "the machine's Shell"
assert_eq 13 "$(find "$data/Backups" -maxdepth 1 -name '*.bin' | wc -l)" "exact copies"

# 3. Restored from the undo page: each value as it was planted.
restore_every_undo_line
assert_eq 13 "$undo_lines" "lines on the undo page"
restored() {
    assert_eq "$5" "$(exact "$2" "$3")" "$1 $2 [$3] after the restore"
    assert_eq "$4" "$(vtrl_wine 30 reg query "$2" /v "$3" | tr -d '\r' |
        sed -n "s/^ *$3 \{4\}\(REG_[A-Z_]*\) .*/\1/p")" "the type of $2 [$3]"
}
each_place restored
exit 0
