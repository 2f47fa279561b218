#!/usr/bin/env bash
# Who made a program, through the real WinVerifyTrust: a fixture signed here with a throw-away
# code-signing certificate is listed as verified with its publisher and SHA-256, the same file
# with one byte changed as not verified, an unsigned one as not signed - in `vantorelc list`, in
# the manager's list and on its record page. The checks are remembered per file and checked
# again when the file changes; --hide-windows hides only verified Microsoft files in the Windows
# folder; "Approve everything <publisher> starts" adds a publisher rule that the database page
# shows and removes.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

for tool in openssl osslsigncode; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
publisher='Vtrl Test Publisher'

# A key and a self-signed code-signing certificate made now, used once, never kept.
sign() { # sign COMMON_NAME IN OUT
    local name=$1 key=$out/$1.key cert=$out/$1.pem
    if [[ ! -f $cert ]]; then
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name" \
            -addext 'extendedKeyUsage=codeSigning' -keyout "$key" -out "$cert" 2>/dev/null
    fi
    osslsigncode sign -certs "$cert" -key "$key" -h sha256 -in "$2" -out "$3" >/dev/null
}

dir=$(drive_c)/vtrlsig
mkdir -p "$dir"
sign "$publisher" "$VTRL_BIN/version_none.exe" "$dir/signed.exe"
cp "$dir/signed.exe" "$dir/tampered.exe"
# One byte of the code, which the signature's digest covers, changed in place.
offset=$((0x400))
old=$(od -An -tu1 -j "$offset" -N1 "$dir/tampered.exe" | tr -d ' ')
printf "\\x$(printf %02x $(((old + 1) % 256)))" |
    dd of="$dir/tampered.exe" bs=1 seek="$offset" conv=notrunc status=none
cmp -s "$dir/signed.exe" "$dir/tampered.exe" && fail "the tampered copy is unchanged"
cp "$VTRL_BIN/version_none.exe" "$dir/unsigned.exe"
# Windows' own look-alike: a Microsoft-named signer in the Windows folder (Wine accepts any
# root), and an unsigned program beside it.
sign 'Microsoft Windows' "$VTRL_BIN/version_none.exe" "$(drive_c)/windows/vtrlown.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/windows/vtrlplain.exe"

reg_set "$run_key" 'Vtrl Signed' REG_SZ 'C:\vtrlsig\signed.exe'
reg_set "$run_key" 'Vtrl Tampered' REG_SZ 'C:\vtrlsig\tampered.exe'
reg_set "$run_key" 'Vtrl Unsigned' REG_SZ 'C:\vtrlsig\unsigned.exe'
reg_set "$run_key" 'Vtrl WindowsOwn' REG_SZ 'C:\windows\vtrlown.exe'
reg_set "$run_key" 'Vtrl WindowsPlain' REG_SZ 'C:\windows\vtrlplain.exe'

sha() { sha256sum "$1" | cut -d' ' -f1; }

# Waits until "Ok" has brought the list page back.
wait_for_list() {
    for _ in $(seq 50); do
        [[ $(control_state 'MonsterWindow(0)' visible) == 1 ]] && return 0
        sleep 0.1
    done
    fail "Ok did not return to the list"
}

# check_list FILE.json HIDDEN: the records of the fixtures as expected.
check_list() {
    python3 - "$1" "$2" "$publisher" "$(sha "$dir/signed.exe")" "$(sha "$dir/tampered.exe")" \
        "$(sha "$dir/unsigned.exe")" <<'PY' || fail "signatures in $1 (see the log)"
import json, sys
records = json.load(open(sys.argv[1], encoding="utf-8"))
hidden, publisher, signed, tampered, unsigned = sys.argv[2] == "hidden", *sys.argv[3:]
by_name = {r["EntryName"]: r for r in records}
ok = True
def expect(name, **values):
    global ok
    record = by_name.get(name)
    if record is None:
        print(f"{name}: missing")
        ok = False
        return
    for key, value in values.items():
        actual = record[key]
        good = value(actual) if callable(value) else actual == value
        if not good:
            print(f"{name}.{key}: expected {value!r}, got {actual!r}")
            ok = False
expect("Vtrl Signed", Signer=publisher, Verified=True,
       SignatureStatus="Verified: " + publisher, Sha256=signed)
expect("Vtrl Tampered", Verified=False, Sha256=tampered,
       SignatureStatus="Not verified (the file was changed after it was signed)")
expect("Vtrl Unsigned", Signer="", Verified=False, SignatureStatus="Not signed", Sha256=unsigned)
expect("Vtrl WindowsPlain", Verified=False, SignatureStatus="Not signed")
if hidden:
    if "Vtrl WindowsOwn" in by_name:
        print("Vtrl WindowsOwn: listed with --hide-windows")
        ok = False
else:
    expect("Vtrl WindowsOwn", Signer="Microsoft Windows", Verified=True)
sys.exit(0 if ok else 1)
PY
}

rc=0
vtrl_wine 60 "$lc" list --json >"$out/list.json" 2>"$out/stderr" || rc=$?
assert_eq 0 "$rc" "exit code of list"
check_list "$out/list.json" shown
rc=0
vtrl_wine 60 "$lc" list --json --hide-windows >"$out/hidden.json" 2>"$out/stderr" || rc=$?
assert_eq 0 "$rc" "exit code of list --hide-windows"
check_list "$out/hidden.json" hidden

# The manager window: the list's rows and the record page.
data=$(vtrl_data_folder)
open_window
row=$(row_of SIGNED.EXE) || fail "no row for SIGNED.EXE"
assert_eq "Verified: $publisher" "$(uidriver text "$window" "@BAsign($row)")" "the signed row"
row=$(row_of TAMPERED.EXE) || fail "no row for TAMPERED.EXE"
assert_eq 'Not verified' "$(uidriver text "$window" "@BAsign($row)")" "the tampered row"
row=$(row_of UNSIGNED.EXE) || fail "no row for UNSIGNED.EXE"
assert_eq 'Not signed' "$(uidriver text "$window" "@BAsign($row)")" "the unsigned row"
screenshot 78_signature_list.png

row=$(row_of TAMPERED.EXE)
uidriver click "$window" "@BAexe($row)"
# The facts box of the record page: the line of the signature, and the next line.
fact_after() { # LABEL: that fact's line and the one after it
    uidriver text "$window" @TextFacts | tr -d '\r' | grep -A1 "^$1: "
}
assert_eq 'Signature: Not verified (the file was changed after it was signed)' \
    "$(fact_after Signature | head -1)" "record page of the tampered file"
[[ $(control_state LabelPublisher visible) == 0 ]] || fail "a file that does not verify is offered a rule"
# Back to the list through "Ok" with no decision (an entry "0" for tampered.exe).
uidriver click "$window" @Command1
wait_for_list
row=$(row_of SIGNED.EXE)
uidriver click "$window" "@BAexe($row)"
assert_eq "Signature: Verified: $publisher
SHA-256: $(sha "$dir/signed.exe")" "$(fact_after Signature)" "record page signer and SHA-256"
assert_eq "Approve everything $publisher starts" "$(uidriver text "$window" @LabelPublisher)" \
    "the publisher link"
screenshot 78_signature_record_page.png
uidriver click "$window" @LabelPublisher
for _ in $(seq 50); do
    [[ -f $data/Publishers.txt && $(control_state LabelPublisher visible) == 0 ]] && break
    sleep 0.1
done
assert_eq "$publisher" "$(tr -d '\r' <"$data/Publishers.txt")" "the stored publisher rule"
[[ $(control_state LabelPublisher visible) == 0 ]] || fail "the link stays after approving"
checked Option2 || fail "the record page does not show the approval"
# The page's "Ok" with the rule's approval stores no decision of the file's own.
uidriver click "$window" @Command1
wait_for_list
! grep -qix 'signed.exe'$'\r' "$data/ActionsDB.txt" ||
    fail "Ok stored an approval of its own: $(cat "$data/ActionsDB.txt")"

uidriver click "$window" @Label21
uidriver click "$window" @OptionPublishers
assert_eq "$publisher" "$(uidriver list-items "$window" @List3)" "the publishers on the database page"
screenshot 78_signature_database_page.png
uidriver select-item "$window" @List3 "$publisher"
uidriver click "$window" @Command13
uidriver msgbox-text Vantorel 10000 >/dev/null
uidriver press Vantorel '&Yes'
for _ in $(seq 50); do
    [[ -z $(uidriver list-items "$window" @List3) ]] && break
    sleep 0.1
done
assert_eq '' "$(uidriver list-items "$window" @List3)" "the publishers after removing"
assert_eq '' "$(tr -d '\r' <"$data/Publishers.txt")" "the rule file after removing"
close_window

# The window left its checks in the data folder; a reader takes them from there while the file
# is unchanged: a signer name put into the cache shows.
cache=$data/Signatures.txt
[[ -f $cache ]] || fail "no signature cache after the window's scan"
grep -qx "$publisher"$'\r' "$cache" || fail "the cache lacks the signer: $(cat "$cache")"
sed -i "s/^$publisher\r\$/Cached Name\r/" "$cache"
rc=0
vtrl_wine 60 "$lc" list --json >"$out/cached.json" 2>"$out/stderr" || rc=$?
python3 - "$out/cached.json" <<'PY' || fail "the cached signer is not used"
import json, sys
records = {r["EntryName"]: r for r in json.load(open(sys.argv[1], encoding="utf-8"))}
sys.exit(0 if records["Vtrl Signed"]["Signer"] == "Cached Name" else 1)
PY
# The same file with one byte changed (same size, new time) is checked again.
cp "$dir/tampered.exe" "$dir/signed.exe"
touch -d '+1 minute' "$dir/signed.exe"
rc=0
vtrl_wine 60 "$lc" list --json >"$out/changed.json" 2>"$out/stderr" || rc=$?
python3 - "$out/changed.json" <<'PY' || fail "a changed file keeps its cached signature"
import json, sys
records = {r["EntryName"]: r for r in json.load(open(sys.argv[1], encoding="utf-8"))}
sys.exit(0 if records["Vtrl Signed"]["Verified"] is False else 1)
PY
