#!/usr/bin/env bash
# A data folder that cannot take the backup entry: read-only (a read-only bind mount) and full
# (a small tmpfs, filled up), both mounted on the profile folder that holds it. The check pass ends cleanly and, since the backup
# comes first, keeps the restricted record; the log and the decision file keep their bytes and
# no temporary file is left behind. Once there is room again the same pass removes the record.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

program=$VTRL_BIN/vantorel.exe
out=$VTRL_CASE_DIR
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_path='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
data=$(vtrl_data_folder)

mounted=()
unmount_all() {
    local point
    for point in "${mounted[@]}"; do
        umount "$point" 2>/dev/null || umount -l "$point" 2>/dev/null || true
    done
    mounted=()
}
trap unmount_all EXIT
probe_dir=$out/mount-probe
mkdir -p "$probe_dir"
if ! mount -t tmpfs -o size=64k tmpfs "$probe_dir" 2>"$out/mount.err"; then
    # Counted as skipped by run.sh, and as a failure on CI, which must be able to mount.
    echo "SKIP: cannot mount a file system here ($(cat "$out/mount.err"))"
    exit 77
fi
umount "$probe_dir"

mkdir -p "$(drive_c)/vtrltest"
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/badtool.exe"
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/keeper.exe"
reg_set "$run_key" Keeper REG_SZ 'C:\vtrltest\keeper.exe'
reg_set "$run_key" 'Bad Tool' REG_SZ 'C:\vtrltest\badtool.exe'
reg_set "$settings" SMode REG_SZ Every
reg_set "$settings" NotifiWin REG_SZ NO
reg_set "$settings" Sound REG_SZ NO
reg_set "$settings" Unknown REG_SZ NO
# Each pass appends a line here (outside the data folder, which cannot take it): the proof that
# a pass ran and saw both records, without which a kept record would prove nothing.
trace=$(drive_c)/vtrltest/agent-trace.txt
reg_set 'HKCU\Software\VB and VBA Program Settings\VTRL\Data' AgentTrace REG_SZ \
    'C:\vtrltest\agent-trace.txt'
crlf() { printf '%s\r\n' "$@"; }
{
    crlf "" 'c:\vtrltest' 'badtool.exe' '' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrltest' 'keeper.exe' '' N N 1 "" "" "" ""
} >"$out/ActionsDB.txt"
for exe in one.exe two.exe; do
    crlf '==========================================================================' \
        '1/2/2026 3:04:05 AM' '2-1-2026' '3:4:5' REGISTRY "$run_path\\$exe" 'c:\vtrltest' "$exe" \
        '' "C:\\vtrltest\\$exe"
done >"$out/BackupAndLog.txt"
cp "$out/ActionsDB.txt" "$out/BackupAndLog.txt" "$data/"
files_sum() { (cd "$data" && sha256sum ActionsDB.txt BackupAndLog.txt); }
expected=$(files_sum)

# run_pass LABEL: one check pass, which must exit cleanly and leave its line in the trace.
run_pass() {
    local rc=0
    rm -f "$trace"
    vtrl_wine 90 "$program" startup >"$out/pass.out" 2>&1 || rc=$?
    assert_eq 0 "$rc" "$1: exit code of the check pass"
    assert_eq 'pass 1 start records 2' "$({ tr -d '\r' <"$trace"; } 2>/dev/null || true)" \
        "$1: the pass's trace line"
}

pass_keeps_record() { # LABEL
    run_pass "$1"
    assert_no_crash "$1" "$out/pass.out"
    assert_eq 'C:\vtrltest\badtool.exe' "$(reg_get "$run_key" 'Bad Tool')" \
        "$1: the record whose backup could not be written"
    assert_eq "$expected" "$(files_sum)" "$1: the data files"
    local left
    left=$(find "$data" -mindepth 1 -name '*.~*' -print)
    [[ -z $left ]] || fail "$1: temporary files left: $left"
}

# The mounts go on the profile folder itself, not on the data folder: an administrator's
# Vantorel (this prefix's user is one) refuses any reparse point below the profile, and Wine
# reports a mount point as one, as Windows does a mounted volume. On the profile folder the data
# folder's file system is read-only or full while the way to it below the profile stays plain.
profile=$(dirname "$(dirname "$(dirname "$data")")")
[[ $profile == */users/* ]] || fail "the profile folder of $data is not under users"

# Read-only.
mount --bind "$profile" "$profile"
mounted+=("$profile")
mount -o remount,bind,ro "$profile"
if touch "$data/.probe" 2>/dev/null; then fail "the read-only mount takes writes"; fi
pass_keeps_record 'read-only data folder'
unmount_all

# Full: the profile on a small file system of its own (its present content plus 256 KiB), the
# room taken by a filler.
cp -a "$profile" "$out/profile-copy"
mount -t tmpfs -o size=$(($(du -sk "$profile" | cut -f1) + 256))k,mode=0755 tmpfs "$profile"
mounted+=("$profile")
cp -a "$out/profile-copy/." "$profile/"
cp "$out/ActionsDB.txt" "$out/BackupAndLog.txt" "$data/"
dd if=/dev/zero of="$profile/filler" bs=4k 2>/dev/null || true
if printf x >>"$profile/filler" 2>/dev/null; then fail "the small file system is not full"; fi
echo "full: $(df -k "$data" | tail -n 1)"
pass_keeps_record 'full disk'

# With room again the same pass removes the record, after its backup entry.
rm "$profile/filler"
run_pass 'with room'
reg_missing "$run_key" 'Bad Tool' || fail "the pass with room kept the restricted record"
assert_eq 3 "$(tr -d '\r' <"$data/BackupAndLog.txt" | grep -c '^=\{74\}$')" "entries with room"
assert_eq "$(tr -d '\r' <"$out/BackupAndLog.txt")" \
    "$(tr -d '\r' <"$data/BackupAndLog.txt" | head -n 20)" "the older entries with room"
unmount_all
