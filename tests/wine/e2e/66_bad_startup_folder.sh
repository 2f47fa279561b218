#!/usr/bin/env bash
# A Startup folder of 5,000 files: mostly not shortcuts, shortcuts cut short, of random bytes or
# empty, shortcuts to a folder and to a missing file, and ten good ones. The scan finishes within
# seconds (timed in the log), lists exactly the ten good shortcuts, and touches none of the files.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
mkdir -p "$(drive_c)/vtrltest"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/tool.exe"
appdata=$(vtrl_wine 30 cmd /c echo '%APPDATA%' | tr -d '\r')
startup_win="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"
startup=$(unix_path "$startup_win")
mkdir -p "$startup"

shortcut() { # NAME TARGET [ARGUMENTS]
    vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" "$startup_win\\$1" "$2" "${3:-}" ||
        fail "cannot write the shortcut $1"
}
shortcut good.lnk 'C:\vtrltest\tool.exe' --good
shortcut folder.lnk 'C:\vtrltest'
shortcut missing.lnk 'C:\vtrltest\missing.exe'
good=$startup/good.lnk
for n in $(seq 1 9); do cp "$good" "$startup/good $n.lnk"; done
head -c 40 "$good" >"$startup/cut header.lnk"
head -c $(($(stat -c %s "$good") - 20)) "$good" >"$startup/cut tail.lnk"
python3 -c 'import random,sys; sys.stdout.buffer.write(random.Random(5).randbytes(4096))' \
    >"$startup/random.lnk"
# The shell link header with random bytes after it.
{ head -c 76 "$good"; python3 -c 'import random,sys; sys.stdout.buffer.write(random.Random(6).randbytes(2048))'; } \
    >"$startup/random body.lnk"
: >"$startup/empty.lnk"
mkdir "$startup/a folder.lnk"
# The rest: plain files, a few with names close to a shortcut's.
(
    cd "$startup"
    for n in $(seq -w 1 4981); do : >"note $n.txt"; done
    printf 'not a link' >"readme.lnk.txt"
    printf 'not a link' >"notes.lnkx"
)
assert_eq 5000 "$(find "$startup" -mindepth 1 -maxdepth 1 -type f | wc -l)" "files in the Startup folder"
before=$(cd "$startup" && find . -type f -print0 | sort -z | xargs -0 sha256sum | sha256sum)

started=$(date +%s%N)
rc=0
vtrl_wine 90 "$lc" list --json >"$out/list.json" 2>"$out/list.err" || rc=$?
elapsed=$((($(date +%s%N) - started) / 1000000))
echo "the scan of the Startup folder with 5,000 files took $elapsed ms"
assert_eq 0 "$rc" "exit code of list ($(cat "$out/list.err"))"
assert_no_crash "the scan" "$out/list.err"
((elapsed < 30000)) || fail "the scan took $elapsed ms"
python3 - "$out/list.json" <<'PY' || fail "the listed shortcuts (see the log)"
import json, sys
records = json.load(open(sys.argv[1], encoding="utf-8"))
got = sorted((r["Kind"], r["EntryName"], r["ExeName"], r["Arguments"]) for r in records)
expected = sorted([("SHORTCUT", "good.lnk", "tool.exe", "--good")] +
                  [("SHORTCUT", "good %d.lnk" % n, "tool.exe", "--good") for n in range(1, 10)])
if got != expected:
    print("expected", expected, "\ngot     ", got)
    sys.exit(1)
PY
after=$(cd "$startup" && find . -type f -print0 | sort -z | xargs -0 sha256sum | sha256sum)
assert_eq "$before" "$after" "the scan changed files in the Startup folder"
