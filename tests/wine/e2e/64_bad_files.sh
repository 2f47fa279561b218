#!/usr/bin/env bash
# Damaged and foreign-format data files in the data folder: binary garbage, UTF-16 with a byte
# order mark, 50 MB, lines of 100,000 characters, LF without CR. The check pass ("startup" in
# Every mode, and "Apply and Close" in the manager window) ends cleanly on each; it never writes
# the decision file, reads every complete decision that precedes the damage, and its rewrite of
# the backup log keeps every complete entry (stray lines are dropped, as the reader skips them).
# The manager window opens on its list page over the damaged files.
# case-timeout: 240
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

program=$VTRL_BIN/vantorel.exe
window='Vantorel 1.0'
out=$VTRL_CASE_DIR
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_path='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
data=$(vtrl_data_folder)
db=$data/ActionsDB.txt
log=$data/BackupAndLog.txt
mkdir -p "$(drive_c)/vtrltest"
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/badtool.exe"
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/keeper.exe"
reg_set "$run_key" Keeper REG_SZ 'C:\vtrltest\keeper.exe'
# One pass and end; a removal only rings the bell, silently; no reminders about new records.
reg_set "$settings" SMode REG_SZ Every
reg_set "$settings" NotifiWin REG_SZ NO
reg_set "$settings" Sound REG_SZ NO
reg_set "$settings" Unknown REG_SZ NO

crlf() { printf '%s\r\n' "$@"; }
decisions() {
    crlf "" 'c:\vtrltest' 'badtool.exe' '' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrltest' 'keeper.exe' '' N N 1 "" "" "" ""
}
backup_entry() { # EXE [ARGUMENTS]
    crlf '==========================================================================' \
        '1/2/2026 3:04:05 AM' '2-1-2026' '3:4:5' REGISTRY "$run_path\\$1" 'c:\vtrltest' "$1" \
        "${2:-}" "C:\\vtrltest\\$1${2:+ $2}"
}
# Deterministic "binary garbage": every byte value, CR and LF among them, no separator line.
garbage() { python3 -c 'import random,sys; r=random.Random(9); sys.stdout.buffer.write(bytes(r.randrange(256) for _ in range(65536)))'; }
utf16() { python3 -c 'import sys; sys.stdout.buffer.write(b"\xff\xfe" + sys.stdin.buffer.read().decode("latin-1").encode("utf-16-le"))'; }
utf16_no_mark() { python3 -c 'import sys; sys.stdout.buffer.write(sys.stdin.buffer.read().decode("latin-1").encode("utf-16-le"))'; }
long_line() { python3 -c "import sys; sys.stdout.write('$1' * 100000)"; }

# The complete entries of a backup log, one line each, as the program reads them: a separator
# followed by nine lines that are not separators.
complete_entries() {
    python3 - "$1" <<'PY'
import re, sys
lines = re.split(rb"\r\n|\r|\n", open(sys.argv[1], "rb").read())
sep = b"=" * 74
i = 0
while i < len(lines):
    if lines[i] != sep:
        i += 1
        continue
    rows = []
    while len(rows) < 9 and i + 1 + len(rows) < len(lines) and lines[i + 1 + len(rows)] != sep:
        rows.append(lines[i + 1 + len(rows)])
    if len(rows) == 9:
        sys.stdout.write(b"\x1f".join(rows).hex() + "\n")
    i += 1 + len(rows)
PY
}

# wait_row NAME: waits until a row of the list page shows the executable.
wait_row() {
    local i name _
    for _ in $(seq 40); do
        for ((i = 0; i < 10; i++)); do
            name=$(uidriver text "$window" "@BAexe($i)" 2>/dev/null) || break
            [[ $name == "$1" ]] && return 0
        done
        sleep 0.5
    done
    return 1
}

check_pass() { # LABEL: one Every pass with the restricted record in place
    reg_set "$run_key" 'Bad Tool' REG_SZ 'C:\vtrltest\badtool.exe'
    local rc=0 started=$SECONDS
    vtrl_wine 90 "$program" startup >"$out/pass.out" 2>&1 || rc=$?
    assert_eq 0 "$rc" "$1: exit code of the check pass"
    assert_no_crash "$1" "$out/pass.out"
    echo "$1: the pass took $((SECONDS - started)) s"
}

# --- The decision file. The pass only reads it: its bytes stay, whatever they are.
decision_variant() { # LABEL REMOVED(yes|no)
    local before
    before=$(sha256sum <"$db")
    rm -f "$log"
    check_pass "ActionsDB.txt $1"
    assert_eq "$before" "$(sha256sum <"$db")" "$1: the pass changed the decision file"
    if [[ $2 == yes ]]; then
        reg_missing "$run_key" 'Bad Tool' || fail "$1: the restricted record was not removed"
        assert_eq 1 "$(complete_entries "$log" | wc -l)" "$1: backup entries after the removal"
    else
        reg_get "$run_key" 'Bad Tool' >/dev/null || fail "$1: a record without a readable decision was removed"
        assert_no_file "$log" "$1: a backup log without a removal"
    fi
    reg_get "$run_key" Keeper >/dev/null || fail "$1: the approved record went"
}

{ decisions; garbage; } >"$db"
decision_variant garbage yes
decisions | utf16 >"$db"
# Read through its byte-order mark (a "save as Unicode"): the decisions apply.
decision_variant utf-16 yes
decisions | utf16_no_mark >"$db"
# Without a mark nothing in it reads as a decision: the record is undecided and stays.
decision_variant 'utf-16 without a mark' no
{
    decisions
    crlf "" "c:\\$(long_line f)" 'long.exe' "$(long_line a)" N N 1 "" "" "" ""
} >"$db"
decision_variant 'with 100,000-character lines' yes
decisions | tr -d '\r' >"$db"
decision_variant 'with LF only' yes
{
    decisions
    python3 -c "import sys; sys.stdout.write(('x' * 100000 + '\r\n') * 500)"
} >"$db"
[[ $(stat -c %s "$db") -gt 50000000 ]] || fail "the big decision file is too small"
decision_variant '50 MB' yes

# The manager window opens on its list page over the 50 MB file, and "Apply and Close" runs a
# pass that removes the record and leaves the file alone.
reg_set "$run_key" 'Bad Tool' REG_SZ 'C:\vtrltest\badtool.exe'
before=$(sha256sum <"$db")
rm -f "$log"
vtrl_start "$program"
pid=$VTRL_LAST_PID
uidriver wait-window "$window" 60000 >/dev/null
wait_row KEEPER.EXE || fail "the list page does not show KEEPER.EXE"
screenshot 64_bad_files_list.png
uidriver press "$window" @Command6
uidriver wait-gone "$window" 60000
rc=0
wait "$pid" || rc=$?
assert_eq 0 "$rc" "exit code after Apply and Close"
assert_no_crash "Apply and Close"
reg_missing "$run_key" 'Bad Tool' || fail "Apply and Close did not remove the restricted record"
assert_eq "$before" "$(sha256sum <"$db")" "Apply and Close changed the decision file"
# The agent it may start runs one pass and ends; let it finish before the next variant.
for _ in $(seq 50); do [[ -z $(uidriver list vantorel.exe 2>/dev/null || true) ]] && break; sleep 0.2; done

# --- The backup log. Every complete entry survives the rewrite, and the new one comes last.
decisions >"$db"
backup_variant() { # LABEL [damaged]
    local before_entries original copies
    original=$(sha256sum <"$log")
    complete_entries "$log" >"$out/before.txt"
    check_pass "BackupAndLog.txt $1"
    reg_missing "$run_key" 'Bad Tool' || fail "$1: the restricted record was not removed"
    complete_entries "$log" >"$out/after.txt"
    before_entries=$(wc -l <"$out/before.txt")
    assert_eq $((before_entries + 1)) "$(wc -l <"$out/after.txt")" "$1: entries after the removal"
    assert_eq "$(cat "$out/before.txt")" "$(head -n "$before_entries" "$out/after.txt")" \
        "$1: the complete entries before the removal"
    tail -n 1 "$out/after.txt" | xxd -r -p | tr '\037' '\n' | sed -n 7p | grep -qx 'badtool.exe' ||
        fail "$1: the last entry is not the removal's"
    # What the program writes is CR LF throughout.
    [[ $(grep -ac $'[^\r]$' "$log" || true) == 0 ]] || fail "$1: lines without CR after the rewrite"
    # Text outside complete entries is kept, byte for byte, in a copy beside the log.
    copies=$(find "$data" -maxdepth 1 -name 'BackupAndLog.unreadable*.txt' | wc -l)
    if [[ ${2:-} == damaged ]]; then
        assert_eq 1 "$copies" "$1: copies of the damaged log"
        assert_eq "$original" "$(sha256sum <"$data/BackupAndLog.unreadable.txt")" \
            "$1: the copy of the damaged log"
    else
        assert_eq 0 "$copies" "$1: copies of a log without damage"
    fi
    rm -f "$log" "$data"/BackupAndLog.unreadable*.txt
}

{ backup_entry one.exe; garbage; printf '\r\n'; backup_entry two.exe -x; garbage; } >"$log"
assert_eq 2 "$(complete_entries "$log" | wc -l)" "complete entries around the garbage"
backup_variant garbage damaged
# UTF-16 with its byte-order mark is read: both entries stay, in order, the new one comes last
# (the rewrite is in ANSI, as every character fits), and nothing is kept aside.
{ backup_entry one.exe; backup_entry two.exe; } >"$out/ansi_log.txt"
complete_entries "$out/ansi_log.txt" >"$out/expected.txt"
assert_eq 2 "$(wc -l <"$out/expected.txt")" "entries written for the UTF-16 log"
utf16 <"$out/ansi_log.txt" >"$log"
check_pass "BackupAndLog.txt utf-16"
reg_missing "$run_key" 'Bad Tool' || fail "utf-16: the restricted record was not removed"
complete_entries "$log" >"$out/after.txt"
assert_eq 3 "$(wc -l <"$out/after.txt")" "utf-16: entries after the removal"
assert_eq "$(cat "$out/expected.txt")" "$(head -n 2 "$out/after.txt")" "utf-16: the entries kept"
assert_eq 0 "$(find "$data" -maxdepth 1 -name 'BackupAndLog.unreadable*.txt' | wc -l)" \
    "utf-16: copies of a log that was read"
rm -f "$log"
# Without a mark it holds no entry the program can read: the rewrite keeps only the new one,
# and the old file is kept aside.
utf16_no_mark <"$out/ansi_log.txt" >"$log"
assert_eq 0 "$(complete_entries "$log" | wc -l)" "complete entries in UTF-16 without a mark"
backup_variant 'utf-16 without a mark' damaged
{
    backup_entry one.exe
    backup_entry long.exe "$(long_line a)"
    long_line '='
    printf '\r\n'
    backup_entry two.exe
} >"$log"
backup_variant 'with 100,000-character lines' damaged
{ backup_entry one.exe; backup_entry two.exe -y; } | tr -d '\r' >"$log"
backup_variant 'with LF only'
python3 - "$log" <<'PY'
import sys
sep = "=" * 74
with open(sys.argv[1], "w", encoding="latin-1", newline="") as f:
    n = 0
    while f.tell() < 50_000_000:
        f.write("\r\n".join([sep, "1/2/2026 3:04:05 AM", "2-1-2026", "3:4:5", "REGISTRY",
                             "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Bulk %d" % n,
                             "c:\\vtrl bulk folder with a rather long name\\and another level",
                             "bulk%07d.exe" % n, "--argument %d" % n,
                             "\"c:\\vtrl bulk folder with a rather long name\\and another level\\bulk%07d.exe\" --argument %d" % (n, n)]) + "\r\n")
        n += 1
PY
backup_variant '50 MB'

# The manager window's list page opens over a damaged log too.
{ backup_entry one.exe; garbage; } >"$log"
before=$(sha256sum <"$log")
vtrl_start "$program"
pid=$VTRL_LAST_PID
uidriver wait-window "$window" 60000 >/dev/null
wait_row KEEPER.EXE || fail "the list page over a damaged log does not show KEEPER.EXE"
uidriver close "$window"
uidriver wait-gone "$window" 20000
wait "$pid" || fail "the manager window ended with an error over a damaged log"
assert_no_crash "manager window over a damaged log"
assert_eq "$before" "$(sha256sum <"$log")" "opening the manager window changed the log"
