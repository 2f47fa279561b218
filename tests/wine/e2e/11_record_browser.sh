#!/usr/bin/env bash
# Links opened in the prefix reach the recording browser, whichever way they are opened, and
# nothing else starts: no winebrowser, no Unix browser (run.sh's stand-ins would log it).
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

handler='"C:\vtrltest\record_browser.exe" "%1"'
assert_eq "$handler" "$(reg_get 'HKCR\https\shell\open\command' '')" "https handler"
assert_eq "$handler" "$(reg_get 'HKCR\http\shell\open\command' '')" "http handler"
assert_no_file "$VTRL_URL_LOG" "nothing has opened a link yet"

# A stray browser may live for a fraction of a second: it is watched for from here to the end,
# every 20 ms, among this prefix's processes only (other runs may be going on beside this one).
seen=$VTRL_CASE_DIR/browsers-seen.txt
: >"$seen"
watch_browsers() {
    local candidate
    while :; do
        for candidate in $(pgrep -f -i 'winebrowser|iexplore' || true); do
            # (A process may end between the listing and the reading.)
            if { tr '\0' '\n' <"/proc/$candidate/environ"; } 2>/dev/null |
                grep -qxF "WINEPREFIX=$WINEPREFIX"; then
                { tr '\0' ' ' <"/proc/$candidate/cmdline"; } >>"$seen" 2>/dev/null
                echo >>"$seen"
            fi
        done
        sleep 0.02
    done
}
watch_browsers &
watcher=$!
trap 'kill "$watcher" 2>/dev/null || true' EXIT

# Waits until the log holds N lines.
wait_for_lines() {
    local wanted=$1 _
    for _ in $(seq 100); do
        if [[ -f $VTRL_URL_LOG && $(wc -l <"$VTRL_URL_LOG") -ge $wanted ]]; then
            return 0
        fi
        sleep 0.1
    done
    fail "the recording browser logged $(cat "$VTRL_URL_LOG" 2>/dev/null || echo nothing)"
}

# ShellExecuteW(nullptr, L"open", url), as the program opens links. The query string and the
# ".html" ending must not send it anywhere else.
secure='https://www.example.com/vantorel/update.html?from=1.0&lang=en'
result=$(vtrl_wine 30 "$VTRL_BIN/shell_open.exe" "$secure")
(( ${result%$'\r'} > 32 )) || fail "ShellExecuteW returned $result"
wait_for_lines 1

# wine start hands its argument to ShellExecuteExW as well.
plain='http://example.org/page'
vtrl_wine 30 start "$plain" || fail "wine start failed"
wait_for_lines 2

# Every other scheme Wine hands to its own browser is redirected as well.
mail='mailto:support@example.com'
vtrl_wine 30 "$VTRL_BIN/shell_open.exe" "$mail" >/dev/null || fail "mailto: was not opened"
wait_for_lines 3

# A local page has no handler in the test prefix (the HTML engine is not installed): the shell
# says so, and opens nothing.
printf '<html></html>\r\n' >"$(drive_c)/vtrltest/page.html"
result=$(vtrl_wine 30 "$VTRL_BIN/shell_open.exe" 'C:\vtrltest\page.html') || true
assert_eq 31 "${result%$'\r'}" "ShellExecuteW on a local page (SE_ERR_NOASSOC)"

assert_eq "$secure"$'\n'"$plain"$'\n'"$mail" "$(tr -d '\r' <"$VTRL_URL_LOG")" "the links opened"
if grep -q $'[^\r]$' "$VTRL_URL_LOG"; then
    fail "the log's lines do not end in CR LF"
fi

# Nothing but the recording browser ran: no winebrowser or other Windows browser process at any
# moment of the case, and no Unix opener (the leak log run.sh checks stays empty).
sleep 0.5
kill "$watcher"
wait "$watcher" 2>/dev/null || true
assert_eq '' "$(sort -u "$seen")" "Windows browsers seen while the case ran"
assert_eq '' "$(cat "$VTRL_LEAK_LOG")" "Unix browsers started"
