#!/usr/bin/env bash
# The framework dialog: "lang" lists every shipped language with English first, and choosing
# German makes the next start German; "subscribe" checks what was typed, moves on to the
# quality-programme page, and its Save ends the process. The subscription request itself runs
# against a loopback server through the real HTTP stack (the dialog always names the vendor's
# server, so the Windows-side test sends its requests to the loopback one instead).
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

program=$VTRL_BIN/vantorel.exe
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
shipped=$VTRL_BIN/Languages
text_of() { # FILE SECTION KEY: a text of a language file, as UTF-8
    iconv -f "$4" -t UTF-8 "$shipped/$1.ini" |
        awk -v section="[$2]" -v key="$3" '
            { sub(/\r$/, "") }
            /^\[/ { inside = ($0 == section); next }
            inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }'
}
# A window's area of the screenshot: CROP is WIDTHxHEIGHT+LEFT+TOP of the dialog.
crop_dialog() { # FILE
    local rect left top width height
    rect=$(uidriver rect Vantorel)
    read -r left top width height <<<"$rect"
    convert "$VTRL_SCREENS/$1" -crop "$((width + 16))x$((height + 40))+$((left - 8 > 0 ? left - 8 : 0))+$((top - 32 > 0 ? top - 32 : 0))" +repage "$VTRL_SCREENS/$1"
}

# --- "lang": every shipped language, English first.
vtrl_start "$program" lang
pid=$VTRL_LAST_PID
uidriver wait-window Vantorel 20000 >/dev/null
expected=$(for file in "$shipped"/*.ini; do basename "$file" .ini; done | sort)
count=$(wc -l <<<"$expected")
captions=()
for ((i = 0; i < count; i++)); do
    captions+=("$(uidriver text Vantorel "@LangArray($i)")")
done
assert_eq English "${captions[0]}" "element 0"
assert_eq "$expected" "$(printf '%s\n' "${captions[@]}" | sort)" "the offered languages"
uidriver text Vantorel "@LangArray($count)" >/dev/null 2>&1 && fail "more options than language files"
[[ $(uidriver state Vantorel '@LangArray(0)') == *checked=1* ]] || fail "English is not selected"
[[ $(uidriver state Vantorel @Command3) == *visible=1* ]] || fail "the OK button is not shown"
[[ $(uidriver state Vantorel @Command2) == *visible=0* ]] || fail "the subscription page shows too"
german=-1
for ((i = 0; i < count; i++)); do
    [[ ${captions[$i]} == German ]] && german=$i
done
((german > 0)) || fail "no German option"
uidriver click Vantorel "@LangArray($german)"
[[ $(uidriver state Vantorel "@LangArray($german)") == *checked=1* ]] || fail "German is not selected"
[[ $(uidriver state Vantorel '@LangArray(0)') == *checked=0* ]] || fail "English stayed selected"
screenshot 53_lang.png
crop_dialog 53_lang.png
uidriver press Vantorel OK
uidriver wait-gone Vantorel 10000
wait "$pid"
assert_eq German "$(reg_get "$settings" Language)" "the saved language"

# The next start is German: the dialog's texts, and the manager window's captions.
vtrl_start "$program" lang
pid=$VTRL_LAST_PID
uidriver wait-window Vantorel 20000 >/dev/null
[[ $(uidriver state Vantorel "@LangArray($german)") == *checked=1* ]] || fail "German is not preselected"
assert_eq "$(text_of German SUBSCRIBER FN CP1252)" "$(uidriver text Vantorel @Label11)" "the German first-name label"
assert_eq "$(text_of German CIP C4 CP1252)" "$(uidriver text Vantorel @Command8)" "the German save button"
screenshot 53_lang_german.png
crop_dialog 53_lang_german.png
uidriver close Vantorel
uidriver wait-gone Vantorel 10000
wait "$pid"

# --- "subscribe", in English again.
reg_set "$settings" Language REG_SZ English
reg_set "$settings" 'Subscription Email' REG_SZ 'old@x.io'
vtrl_start "$program" subscribe
pid=$VTRL_LAST_PID
uidriver wait-window Vantorel 20000 >/dev/null
[[ $(uidriver state Vantorel @Command2) == *visible=1* ]] || fail "the subscribe button is not shown"
[[ $(uidriver state Vantorel @Command3) == *visible=0* ]] || fail "the language page shows too"
assert_eq 'old@x.io' "$(uidriver text Vantorel @Text1)" "the saved address"
assert_eq "$(text_of English SUBSCRIBER SUBSCRIBE-BUTTON CP1252)" "$(uidriver text Vantorel @Command2)" "the subscribe button"
uidriver set-text Vantorel @FN A
uidriver set-text Vantorel @LN Lee
uidriver set-text Vantorel @Text1 annxx.io
screenshot 53_subscribe.png
crop_dialog 53_subscribe.png
# A one-letter name and no "@": only the address's message.
uidriver click Vantorel @Command2
message=$(uidriver msgbox-text Vantorel 10000)
[[ $message == "$(text_of English SUBSCRIBER INVALID-EMAIL CP1252)"* ]] || fail "validation: $message"
uidriver press Vantorel OK
assert_eq 'old@x.io' "$(reg_get "$settings" 'Subscription Email')" "the address after a refused form"
# Declining leads to the quality-programme page.
uidriver click Vantorel @Command1
uidriver wait-text Vantorel @Command8 "$(text_of English CIP C4 CP1252)" 5000 >/dev/null
[[ $(uidriver state Vantorel @Command8) == *visible=1* ]] || fail "the quality page is not shown"
[[ $(uidriver state Vantorel @Command2) == *visible=0* ]] || fail "the subscription page is still shown"
uidriver click Vantorel @Check1
screenshot 53_quality.png
crop_dialog 53_quality.png
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
mkdir -p "$data"
printf 'x' >"$data/cip.txt"
uidriver press Vantorel "$(text_of English CIP C4 CP1252)"
message=$(uidriver msgbox-text Vantorel 10000)
[[ $message == "$(text_of English CIP THANKS CP1252)"* ]] || fail "after joining: $message"
uidriver press Vantorel OK
uidriver wait-gone Vantorel 10000
wait "$pid"
assert_eq YES "$(reg_get "$settings" CIP)" "the consent"
assert_no_file "$data/cip.txt" "the programme file after joining"

# Not joining: saved as NO, and Save still ends the process.
vtrl_start "$program" subscribe
pid=$VTRL_LAST_PID
uidriver wait-window Vantorel 20000 >/dev/null
uidriver click Vantorel @Command1
[[ $(uidriver state Vantorel @Check1) == *checked=1* ]] || fail "the stored consent is not shown"
uidriver click Vantorel @Check1
uidriver click Vantorel @Command8
uidriver wait-gone Vantorel 10000
wait "$pid"
assert_eq NO "$(reg_get "$settings" CIP)" "the refusal"

# --- The request against a loopback server answering by address.
log=$VTRL_CASE_DIR/requests.txt
port_file=$VTRL_CASE_DIR/port
python3 - "$log" "$port_file" <<'PY' &
import http.server, sys, urllib.parse
log, port_file = sys.argv[1], sys.argv[2]
answers = {"okay@x.io": ("[OKAY]", 1000), "error@x.io": ("[ERROR]", 1000),
           "already@x.io": ("[ALREADY-SUBSCRIBED]", 1000), "short@x.io": ("[OKAY]", 999)}
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(log, "a") as out:
            out.write(self.path + "\n")
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        head, length = answers.get(query.get("email", [""])[0], ("", 1000))
        body = (head + "\r\n").ljust(length).encode("ascii")
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(port_file, "w") as out:
    out.write(str(server.server_address[1]))
server.serve_forever()
PY
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -s $port_file ]] && break; sleep 0.1; done
port=$(cat "$port_file")
rc=0
VTRL_SUBSCRIBE_ENDPOINT="http://127.0.0.1:$port/check.php" \
    vtrl_wine 120 "$VTRL_BIN/vantorel_wine_tests.exe" \
    --gtest_filter='RealFrameworkDialog.SubscribesAgainstALoopbackServer' --gtest_brief=1 \
    >"$VTRL_CASE_DIR/probe.out" 2>&1 || rc=$?
cat "$VTRL_CASE_DIR/probe.out"
assert_eq 0 "$rc" "the loopback subscription"
grep -q 'SKIPPED' "$VTRL_CASE_DIR/probe.out" && fail "the loopback subscription was skipped"
assert_eq 4 "$(wc -l <"$log")" "requests the server got"
# The keys in their order, the name encoded so that it adds no key.
grep -qx '/check.php?scn=VTRL&version=[^&]*&country=[^&]*&email=okay@x.io&language=English&t=1000&fn=J%C3%BCrgen%26fn%3Dx&ln=Lee' "$log" ||
    fail "request: $(cat "$log")"
