#!/usr/bin/env bash
# "vexo" writes the translation report to temp.txt in the data folder and opens it: a header
# for every shipped translation, with nothing missing, and the missing keys of an incomplete
# test language with their English texts.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

app=$(drive_c)/vtrltest/app
mkdir -p "$app"
cp "$VTRL_BIN/vantorel.exe" "$app/"
cp -r "$VTRL_ROOT/Languages" "$app/Languages"
rm -f "$app/Languages/"*.sh
printf '[CHARSET]\r\nCHARSET=0\r\n[INTERFACE]\r\nOK=Okay\r\nAPPLY=Apply it\r\n' \
    >"$app/Languages/Zz.ini"

# Text files open in the recording browser too, so the opened path is logged (the test prefix
# has no ".txt" association of its own).
reg_set 'HKCR\.txt' '' REG_SZ txtfile
reg_set 'HKCR\txtfile\shell\open\command' '' REG_SZ '"C:\vtrltest\record_browser.exe" "%1"'

rc=0
vtrl_wine 30 "$app/vantorel.exe" vexo || rc=$?
assert_eq 0 "$rc" "vantorel.exe vexo exit code"

data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
report=$data/temp.txt
assert_file_exists "$report" "the report"

# Every line ends in CR LF, and the report ends with one more.
if grep -q $'[^\r]$' "$report"; then
    fail "the report's lines do not all end in CR LF"
fi
text=$(tr -d '\r' <"$report")

# One header per translation file, English.ini excepted.
headers=$(grep '^=================' <<<"$text" | sed 's/^================= \(.*\) =================$/\1/' | sort)
assert_eq "$(printf '%s\n' DUTCH FRENCH GERMAN ITALIAN POLISH PORTUGUESE RUSSIAN SPAIN ZZ)" \
    "$headers" "one header per translation"

# The shipped translations miss nothing: each header is followed by the blank line at once.
for language in DUTCH FRENCH GERMAN ITALIAN POLISH PORTUGUESE RUSSIAN SPAIN; do
    following=$(grep -A1 "^================= $language =================\$" <<<"$text" | tail -n 1)
    assert_eq '' "$following" "$language lacks keys"
done

# The test language lacks every INTERFACE key but OK and APPLY, listed with the English text.
zz=$(sed -n '/^================= ZZ =================$/,/^$/p' <<<"$text" | sed '1d;/^$/d')
english_keys=$(tr -d '\r' <"$VTRL_ROOT/Languages/English.ini" |
    sed -n '/^\[INTERFACE\]$/,/^\[/p' | grep '=' | grep -v -e '^OK=' -e '^APPLY=')
assert_eq "$english_keys" "$zz" "the missing keys of the test language"
grep -q '^NORECORDS=Vantorel found no programs' <<<"$zz" || fail "English text missing: $zz"

# The report was opened through its short path.
for _ in $(seq 100); do
    [[ -s $VTRL_URL_LOG ]] && break
    sleep 0.1
done
opened=$(tr -d '\r' <"$VTRL_URL_LOG" 2>/dev/null || true)
[[ $opened == *'\'*'TEMP.TXT' || $opened == *'\'*'temp.txt' ]] || fail "opened '$opened'"
assert_eq "$(realpath "$report")" "$(unix_path "$opened")" "the opened file is the report"
