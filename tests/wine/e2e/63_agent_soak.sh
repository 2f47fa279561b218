#!/usr/bin/env bash
# The resident tray agent over many passes against 100 records (soak_probe): restricted records
# come and go between passes and each removal must be in BackupAndLog.txt; after a warm-up the
# handle count, GDI and USER objects and private bytes stay flat. The probe loads the agent as
# the "startup" mode does and asks for each pass with the agent's own timer message.
#
# 100 passes here; the full run of 2,000 (about ten minutes under Wine):
#   VTRL_SOAK_PASSES=2000 VTRL_CASE_TIMEOUT=1800 tests/wine/run.sh --reuse-base 63_agent_soak
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

passes=${VTRL_SOAK_PASSES:-100}
limit=$((${VTRL_CASE_TIMEOUT:-120} - 10))
out=$VTRL_CASE_DIR/soak.out
rc=0
vtrl_wine "$limit" "$VTRL_BIN/soak_probe.exe" "$passes" >"$out" 2>"$VTRL_CASE_DIR/soak.err" || rc=$?
tr -d '\r' <"$out"
assert_eq 0 "$rc" "soak_probe's exit code (124: out of time)"
grep -q '^soak: passed' <(tr -d '\r' <"$out") || fail "the soak probe did not report a pass"
grep -q "^soak: $passes passes asked for" <(tr -d '\r' <"$out") || fail "fewer passes than asked for"

# The log the agent wrote holds complete entries only, seen from outside the process too.
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
log=$data/BackupAndLog.txt
assert_file_exists "$log" "no BackupAndLog.txt"
lines=$(wc -l <"$log")
separators=$(grep -c '^=\{74\}'$'\r''$' "$log")
assert_eq $((separators * 10)) "$lines" "lines in BackupAndLog.txt for $separators entries"
