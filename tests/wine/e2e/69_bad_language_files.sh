#!/usr/bin/env bash
# A damaged language file in the Languages folder: binary garbage, UTF-16 with a byte order
# mark, 20 MB of junk after its texts, its [INTERFACE] section missing, and a damaged English
# file under it. The program still starts and shows texts: those of the chosen file where the
# profile reader finds them, the English ones where it does not, and "<language> error, text
# not found: <section>, <key>" when English has none either. No file of the folder changes.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

window='Vantorel 1.0'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
app=$(drive_c)/vtrlprog
mkdir -p "$app"
cp "$VTRL_BIN/vantorel.exe" "$app/"
cp -r "$VTRL_BIN/Languages" "$app/"
french=$app/Languages/French.ini
english=$app/Languages/English.ini
cp "$french" "$VTRL_CASE_DIR/French.ini"
cp "$english" "$VTRL_CASE_DIR/English.ini"
# One record, or the window warns that there is nothing to check instead of opening.
cp "$VTRL_BIN/version_none.exe" "$app/keeper.exe"
reg_set 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' Keeper REG_SZ 'C:\vtrlprog\keeper.exe'
text_of() { sed -n "s/^$2=//p" "$VTRL_CASE_DIR/$1.ini" | tr -d '\r' | iconv -f CP1252 -t UTF-8; }
# The same 64 KB of random bytes each time, made once (a Python start per block made the 20 MB
# file take minutes on a slow machine).
python3 -c 'import random,sys; sys.stdout.buffer.write(random.Random(7).randbytes(65536))' \
    >"$VTRL_CASE_DIR/garbage.bin"
garbage() { cat "$VTRL_CASE_DIR/garbage.bin"; }

shows() { # LABEL LANGUAGE EXPECTED_MAIN1
    reg_set "$settings" Language REG_SZ "$2"
    local sum
    sum=$(cd "$app/Languages" && sha256sum ./*.ini)
    vtrl_start "$app/vantorel.exe"
    local pid=$VTRL_LAST_PID
    uidriver wait-window "$window" 60000 >/dev/null || fail "$1: no manager window"
    local shown=""
    for _ in $(seq 20); do
        shown=$(uidriver text "$window" '@Deza(0)' 2>/dev/null || true)
        [[ $shown == "$3" ]] && break
        sleep 0.25
    done
    assert_eq "$3" "$shown" "$1: the list page's title"
    uidriver close "$window"
    uidriver wait-gone "$window" 20000
    wait "$pid" || fail "$1: the program ended with an error"
    assert_no_crash "$1" "$VTRL_CASE_DIR/vantorel.exe.out"
    assert_eq "$sum" "$(cd "$app/Languages" && sha256sum ./*.ini)" "$1: the language files changed"
    echo "$1: shows '$shown'"
}

garbage >"$french"
shows 'French.ini of random bytes' French "$(text_of English MAIN1)"
{ printf '\xff\xfe'; iconv -f CP1252 -t UTF-16LE "$VTRL_CASE_DIR/French.ini"; } >"$french"
shows 'French.ini in UTF-16' French "$(text_of French MAIN1)"
{
    cat "$VTRL_CASE_DIR/French.ini"
    printf '\r\n'
    tr -d '[]' <"$VTRL_CASE_DIR/garbage.bin" >"$VTRL_CASE_DIR/block.bin"
    for _ in $(seq 320); do cat "$VTRL_CASE_DIR/block.bin"; done
} >"$french"
[[ $(stat -c %s "$french") -gt 20000000 ]] || fail "the big language file is too small"
shows 'French.ini of 20 MB' French "$(text_of French MAIN1)"
awk 'BEGIN { skip = 0 } /^\[/ { skip = ($0 ~ /^\[INTERFACE\]/) } !skip' \
    "$VTRL_CASE_DIR/French.ini" >"$french"
shows 'French.ini without [INTERFACE]' French "$(text_of English MAIN1)"
garbage >"$english"
shows 'English.ini of random bytes' English 'English error, text not found: INTERFACE, MAIN1'
