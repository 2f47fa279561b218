# shellcheck shell=bash
# Sourced by every end-to-end script in tests/wine/e2e (and by run.sh). A script runs with
# `set -euo pipefail` in its own fresh copy of the test prefix, with the wineserver already
# running and warmed up; exit 0 means it passed.
#
# Variables
#   VTRL_ROOT      the repository
#   VTRL_BIN       build/windows/bin: vantorel.exe, the tools and the fixtures (Unix path)
#   WINEPREFIX     this case's prefix
#   VTRL_URL_LOG   the links opened in the prefix. The recording browser is the handler of
#                  http and https links (and of every file type Wine would give its own
#                  browser); it appends each argument it gets, one line each, UTF-8, CR LF, to
#                  urls.txt beside itself: C:\vtrltest\urls.txt. The file is absent until
#                  something opens a link.
#   VTRL_CASE_DIR  a scratch folder for this case (deleted with the prefix when it passes)
#   VTRL_SCREENS   where screenshots go (build/wine/screens)
#
# Functions (details at each)
#   vtrl_wine TIMEOUT PROGRAM ARGS...     vtrl_start PROGRAM ARGS...      uidriver ARGS...
#   win_path / unix_path / drive_c / win_env        reg_set / reg_get / reg_missing / reg_delete
#   assert_eq / assert_file_exists / assert_no_file / fail               screenshot FILE.png
#   run_as_standard_user CMD...         wait_until CHECK...   now_ms   written_since START FILE
#   agent_reacts START LOG WHAT CHECK...

# The variables are for the scripts that source this file.
# shellcheck disable=SC2034
VTRL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
VTRL_BIN=${VTRL_BIN:-$VTRL_ROOT/build/windows/bin}
VTRL_WINE_DIR=$VTRL_ROOT/build/wine
VTRL_SCREENS=${VTRL_SCREENS:-$VTRL_WINE_DIR/screens}
VTRL_TEST_DIR_WIN='C:\vtrltest'
VTRL_STD_USER=vtrlstd
VTRL_UIDRIVER_TIMEOUT=${VTRL_UIDRIVER_TIMEOUT:-60}
# What reg.exe prints for a key or value that does not exist (and nothing else prints).
VTRL_REG_NOT_FOUND='[Uu]nable to find the specified registry (key|value)'
# What Wine's launcher prints when it could not start a program at all (the program never ran).
VTRL_WINE_NOT_STARTED='Application could not be started, or no application associated'
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# A case that stops on a failing command says which one, so that its log is never empty.
if [[ -z ${VTRL_HARNESS:-} ]]; then
    trap 'echo "${BASH_SOURCE[0]##*/}:$LINENO: \"$BASH_COMMAND\" failed (exit $?)" >&2' ERR
fi

# Points the helpers at a prefix (run.sh does this for every case).
vtrl_use_prefix() {
    export WINEPREFIX=$1
    VTRL_URL_LOG=$WINEPREFIX/drive_c/vtrltest/urls.txt
}

# The first Wine process in a prefix starts Wine's services, and they inherit its output: a
# caller reading that output through a pipe would wait for them. So the server is started once
# and warmed up with its output sent away; later Wine runs are fast.
vtrl_server_start() {
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit >/dev/null 2>&1 </dev/null
}

# Ends every Windows process of the prefix; the server writes the registry out as it exits.
vtrl_server_stop() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# ---------------------------------------------------------------------------------------------
# Running programs

# vtrl_wine TIMEOUT PROGRAM ARGS...: runs a Windows program (a Unix path to an .exe, or a
# program of the prefix such as cmd or reg) with stdin from /dev/null and returns its exit
# code, 124 when it ran out of time. Under `set -e`, capture it: `rc=0; vtrl_wine ... || rc=$?`.
# Now and then Wine's loader fails to start a program at all ("Application could not be started
# ... ShellExecuteEx failed: Internal error." as the first line of the standard output), a
# program of the prefix such as reg.exe too: the program never ran, so it is started again (three
# tries); every other outcome is the program's. Its output is passed on when it has ended,
# standard output first.
vtrl_wine() {
    local limit=$1
    shift
    local output errors rc attempt
    output=$(mktemp "${VTRL_CASE_DIR:-${TMPDIR:-/tmp}}/wine_output.XXXXXX")
    errors=$output.errors
    for attempt in 1 2 3; do
        rc=0
        timeout "$limit" wine "$@" </dev/null >"$output" 2>"$errors" || rc=$?
        if [[ $rc != 1 ]] || ! head -n 1 "$output" | grep -q "^$VTRL_WINE_NOT_STARTED"; then
            break
        fi
        echo "vtrl_wine: Wine did not start $1 (try $attempt of 3)" >&2
    done
    cat "$output"
    cat "$errors" >&2
    rm -f "$output" "$errors"
    return "$rc"
}

# vtrl_start PROGRAM ARGS...: starts a Windows program in the background, its output going to
# $VTRL_CASE_DIR/NAME.out; its Unix pid is left in VTRL_LAST_PID. The case ends it at the
# latest, when the prefix's server is stopped.
vtrl_start() {
    local out=/dev/null
    if [[ -n ${VTRL_CASE_DIR:-} ]]; then
        out=$VTRL_CASE_DIR/$(basename "$1").out
    fi
    wine "$@" </dev/null >>"$out" 2>&1 &
    VTRL_LAST_PID=$!
}

# uidriver ARGS...: runs the UI driver (tools/uidriver) and prints its output; returns its exit
# code (0 done, 1 not found or timed out, 2 usage error).
uidriver() {
    local out rc=0
    out=$(vtrl_wine "$VTRL_UIDRIVER_TIMEOUT" "$VTRL_BIN/uidriver.exe" "$@") || rc=$?
    if [[ -n $out ]]; then
        printf '%s\n' "${out//$'\r'/}"
    fi
    return "$rc"
}

# start_agent [MESSAGE]: starts the resident agent (vantorel.exe startup) unless its tray icon is
# there already, and waits until it is; the case fails with MESSAGE when it never comes.
VTRL_AGENT_CAPTION='Vantorel tray agent'
start_agent() {
    if [[ $(uidriver tray-icon "$VTRL_AGENT_CAPTION" 2>/dev/null) != present ]]; then
        vtrl_start "$VTRL_BIN/vantorel.exe" startup
        for _ in $(seq 100); do
            [[ $(uidriver tray-icon "$VTRL_AGENT_CAPTION" 2>/dev/null) == present ]] && break
            sleep 0.2
        done
    fi
    assert_eq present "$(uidriver tray-icon "$VTRL_AGENT_CAPTION")" "${1:-the resident agent is up}"
}

# win_env NAME: the value of the environment variable NAME as the prefix's programs see it.
# Fails when it is unset (cmd then echoes the name back) or nothing came back.
win_env() {
    local value="" attempt
    for attempt in 1 2 3; do
        value=$(vtrl_wine 30 cmd /c echo "%$1%" | tr -d '\r') || value=""
        if [[ -n $value && $value != "%$1%" ]]; then
            printf '%s\n' "$value"
            return
        fi
    done
    echo "win_env: no value for %$1% (attempt $attempt: '$value')" >&2
    return 1
}

# ---------------------------------------------------------------------------------------------
# Paths

# The conversions follow the prefix's drive links (dosdevices) without starting a Wine process:
# a winepath run costs a process start and, rarely, printed nothing at all under load.

# win_path UNIX_PATH: the Windows form, through the drive whose folder holds the path longest.
win_path() {
    local plain resolved link target letter="" root="" candidate rest
    plain=$(realpath -ms "$1") || return 1
    resolved=$(realpath -m "$1") || return 1
    for link in "$WINEPREFIX"/dosdevices/?:; do
        target=$(readlink -f "$link") || continue
        for candidate in "$plain" "$resolved"; do
            if [[ ($candidate == "$target" || $candidate == "${target%/}"/*) && ${#target} -gt ${#root} ]]; then
                letter=${link##*/}
                root=$target
                rest=${candidate#"${target%/}"}
            fi
        done
    done
    [[ -n $letter ]] || return 1
    rest=${rest#/}
    printf '%s\\%s\n' "${letter^^}" "${rest//\//\\}"
}

# unix_path 'X:\WINDOWS\PATH': the Unix form, matching each existing folder and file by name
# without regard to case, as Windows would. Only drive-letter paths are converted.
unix_path() {
    local path=$1 link base part match
    if [[ ! $path =~ ^([A-Za-z]):([\\/].*)?$ ]]; then
        echo "unix_path: not a drive path: '$path'" >&2
        return 1
    fi
    link=$WINEPREFIX/dosdevices/${BASH_REMATCH[1],,}:
    base=$(readlink -f "$link") || return 1
    local -a parts
    IFS='\\/' read -r -a parts <<<"${BASH_REMATCH[2]}"
    for part in "${parts[@]}"; do
        [[ -n $part ]] || continue
        if [[ $part == . || $part == .. || -e $base/$part ]]; then
            base=$base/$part
            continue
        fi
        match=$(_vtrl_entry_named "$base" "$part")
        if [[ -z $match && $part == *~* ]]; then
            # A short 8.3 name: only Wine knows the names it made up.
            match=$(winepath -u "$path" 2>/dev/null | tr -d '\r')
            [[ -n $match ]] || return 1
            realpath -m "$match"
            return
        fi
        base=${match:-$base/$part}
    done
    realpath -m "$base"
}

# The entry of FOLDER whose name equals NAME but for case, if there is one.
_vtrl_entry_named() {
    local entry leaf name=${2,,}
    for entry in "$1"/* "$1"/.*; do
        leaf=${entry##*/}
        if [[ $leaf != . && $leaf != .. && ${leaf,,} == "$name" ]]; then
            printf '%s\n' "$entry"
            return
        fi
    done
}

drive_c() {
    printf '%s\n' "$WINEPREFIX/drive_c"
}

# A path argument may be given either way; "C:\..." is converted.
_vtrl_unix() {
    if [[ $1 =~ ^[A-Za-z]:[\\/] ]]; then
        unix_path "$1"
    else
        printf '%s\n' "$1"
    fi
}

# ---------------------------------------------------------------------------------------------
# Registry, through the prefix's reg.exe. KEY is "HKCU\Software\..." or a full hive name; an
# empty NAME is the key's default value.

_vtrl_value_args() {
    if [[ -z $1 ]]; then
        printf '%s\n' /ve
    else
        printf '%s\n' /v "$1"
    fi
}

# reg_set KEY NAME TYPE DATA: TYPE is REG_SZ, REG_EXPAND_SZ, REG_DWORD (decimal or 0x..),
# REG_QWORD, REG_BINARY (hex digits) or REG_MULTI_SZ (items separated by \0). Creates the key.
reg_set() {
    local -a value
    mapfile -t value < <(_vtrl_value_args "$2")
    if ! vtrl_wine 30 reg add "$1" "${value[@]}" /t "$3" /d "$4" /f >/dev/null 2>&1; then
        echo "reg_set: cannot write $1 [$2]" >&2
        return 1
    fi
}

# reg_get KEY NAME: prints the value's data and fails when it is missing. Strings come out
# exactly (reg query would pass them through the OEM code page), REG_DWORD and REG_QWORD in
# decimal, REG_BINARY as lowercase hex digits, REG_MULTI_SZ items separated by \0. Value names
# compare case-insensitively, as in Windows.
reg_get() {
    local key=$1 name=$2 export_file listing line found="" type data
    export_file=$(mktemp "${VTRL_CASE_DIR:-${TMPDIR:-/tmp}}/reg_get.XXXXXX")
    if ! vtrl_wine 30 reg export "$key" "$(win_path "$export_file")" /y >/dev/null 2>&1; then
        rm -f "$export_file"
        echo "reg_get: no key $key" >&2
        return 1
    fi
    listing=$(iconv -f UTF-16 -t UTF-8 "$export_file" | _vtrl_reg_values "$key")
    rm -f "$export_file"
    while IFS= read -r line; do
        if [[ $(printf '%b' "${line%%$'\t'*}") == "$name" ||
            $(printf '%b' "${line%%$'\t'*}" | _vtrl_lower) == "$(_vtrl_lower <<<"$name")" ]]; then
            found=${line#*$'\t'}
            break
        fi
    done <<<"$listing"
    if [[ -z $found ]]; then
        echo "reg_get: no value [$name] in $key" >&2
        return 1
    fi
    type=${found%%:*}
    data=${found#*:}
    case $type in
    sz) printf '%b\n' "$data" ;;
    dword) printf '%d\n' "0x$data" ;;
    hex) printf '%s\n' "${data//,/}" ;;
    hex\(b\)) _vtrl_le_number "$data" ;;
    hex\(2\)) _vtrl_utf16 "$data" ;;
    hex\(7\)) _vtrl_utf16 "$data" | _vtrl_join_multi ;;
    *) printf '%s\n' "${data//,/}" ;;
    esac
}

_vtrl_lower() {
    local text
    text=$(cat)
    printf '%s\n' "${text,,}"
}

# Lists the values of one key in a .reg export, one line each: the name, a tab, then
# "type:data" (type "sz" for quoted strings). Names and string data come with backslashes
# doubled and line breaks and tabs written as \n, \r, \t, ready for printf %b.
_vtrl_reg_values() {
    local key=$1
    case ${key%%\\*} in
    HKCU) key=HKEY_CURRENT_USER${key#HKCU} ;;
    HKLM) key=HKEY_LOCAL_MACHINE${key#HKLM} ;;
    HKCR) key=HKEY_CLASSES_ROOT${key#HKCR} ;;
    HKU) key=HKEY_USERS${key#HKU} ;;
    HKCC) key=HKEY_CURRENT_CONFIG${key#HKCC} ;;
    esac
    # Through the environment: awk -v would take the backslashes in the key for escapes.
    VTRL_REG_SECTION="[${key%\\}]" LC_ALL=C awk '
        # A .reg string (without its quotes) -> the same text in printf %b form.
        function unquote(s,   out, i, c) {
            out = ""
            for (i = 1; i <= length(s); i++) {
                c = substr(s, i, 1)
                if (c == "\\") {
                    i++
                    c = substr(s, i, 1)
                    if (c == "n") c = "\\n"; else if (c == "r") c = "\\r"; else if (c == "0") c = ""
                    else if (c == "\\") c = "\\\\"
                } else if (c == "\t") c = "\\t"
                out = out c
            }
            return out
        }
        { sub(/\r$/, "") }
        /^\[/ { inside = (tolower($0) == tolower(ENVIRON["VTRL_REG_SECTION"])); next }
        !inside { next }
        # Long hex data continues on indented lines after a trailing backslash.
        pending != "" { line = pending; sub(/^ +/, "", $0); $0 = line $0; pending = "" }
        /\\$/ && !/"$/ { pending = substr($0, 1, length($0) - 1); next }
        {
            if (substr($0, 1, 2) == "@=") { name = ""; rest = substr($0, 3) }
            else if (substr($0, 1, 1) == "\"") {
                # The name ends at the first quote not escaped by a backslash.
                for (i = 2; i <= length($0); i++) {
                    c = substr($0, i, 1)
                    if (c == "\\") { i++; continue }
                    if (c == "\"") break
                }
                name = unquote(substr($0, 2, i - 2))
                rest = substr($0, i + 2)
            } else next
            if (substr(rest, 1, 1) == "\"") data = "sz:" unquote(substr(rest, 2, length(rest) - 2))
            else { colon = index(rest, ":"); data = substr(rest, 1, colon - 1) ":" substr(rest, colon + 1) }
            print name "\t" data
        }'
}

# "41,00,42,00,00,00" (UTF-16LE bytes) -> the text, without the terminating null.
_vtrl_utf16() {
    local hex=${1//,/} escaped=""
    while [[ ${#hex} -ge 4 && ${hex: -4} == 0000 ]]; do
        hex=${hex:0:${#hex}-4}
    done
    local i
    for ((i = 0; i < ${#hex}; i += 2)); do
        escaped+="\\x${hex:i:2}"
    done
    # shellcheck disable=SC2059
    printf "$escaped" | iconv -f UTF-16LE -t UTF-8
    printf '\n'
}

# Turns the nulls between REG_MULTI_SZ items into the two characters \0, as reg_set takes them.
_vtrl_join_multi() {
    local text
    text=$(tr '\0' '\001')
    printf '%s\n' "${text//$'\001'/\\0}"
}

_vtrl_le_number() {
    local -a bytes
    IFS=, read -r -a bytes <<<"$1"
    local hex="" i
    for ((i = ${#bytes[@]} - 1; i >= 0; i--)); do
        hex+=${bytes[i]}
    done
    printf '%u\n' "0x$hex"
}

# reg_missing KEY [NAME]: succeeds when the value (or, without NAME, the key) does not exist,
# as reg.exe says it in so many words; fails when it exists. Any other outcome (a timeout, a
# crash, another error) cannot tell, and ends the case.
reg_missing() {
    local state
    state=$(_vtrl_reg_presence "$@") || exit 1
    if [[ $state == present ]]; then
        echo "reg_missing: $1${2:+ [$2]} exists" >&2
        return 1
    fi
}

# Prints "present" or "missing" for a key or value; fails (with a message) when reg.exe gives
# neither answer.
_vtrl_reg_presence() {
    local -a query=(reg query "$1")
    if [[ $# -ge 2 ]]; then
        local -a value
        mapfile -t value < <(_vtrl_value_args "$2")
        query+=("${value[@]}")
    fi
    local out rc=0
    out=$(vtrl_wine 30 "${query[@]}" 2>&1) || rc=$?
    if [[ $rc == 0 ]]; then
        echo present
    elif [[ $rc == 1 && $out =~ $VTRL_REG_NOT_FOUND ]]; then
        echo missing
    else
        fail "reg query $1${2:+ [$2]} gave no answer (exit $rc): ${out//$'\r'/}"
    fi
}

# reg_delete KEY [NAME]: deletes the value (or the whole key); nothing to do when it is absent.
reg_delete() {
    local state
    state=$(_vtrl_reg_presence "$@") || exit 1
    if [[ $state == missing ]]; then
        return 0
    fi
    local -a command=(reg delete "$1" /f)
    if [[ $# -ge 2 ]]; then
        local -a value
        mapfile -t value < <(_vtrl_value_args "$2")
        command+=("${value[@]}")
    fi
    if ! vtrl_wine 30 "${command[@]}" >/dev/null 2>&1; then
        echo "reg_delete: cannot delete $1${2:+ [$2]}" >&2
        return 1
    fi
}

# ---------------------------------------------------------------------------------------------
# wait_until CHECK...: polls until the command succeeds (at most 100 tries, 50 ms apart), printing
# the milliseconds it took; fails when it never does.
wait_until() {
    local start
    start=$(date +%s%3N)
    for _ in $(seq 100); do
        if "$@" 2>/dev/null; then
            echo $(($(date +%s%3N) - start))
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# now_ms: the wall time in milliseconds.
now_ms() { date +%s%3N; }

# written_since START FILE: the milliseconds from START (a now_ms) to FILE's last write. A check
# that reads the registry through Wine costs a few hundred milliseconds a try, and wait_until's
# count includes its last try; the program's own write of FILE as it reacts (the backup log
# entry is written just before the change it records) tells when it reacted.
written_since() { echo $(($(date -r "$2" +%s%3N) - $1)); }

# agent_reacts START LOG WHAT CHECK...: after a change made since START (a now_ms), waits until
# CHECK holds and fails unless the agent's entry for it in LOG (its backup log) was written
# within two seconds of START.
agent_reacts() {
    local start=$1 log=$2 what=$3 ms
    shift 3
    wait_until "$@" >/dev/null || fail "$what did not happen"
    ms=$(written_since "$start" "$log")
    echo "$what: $ms ms"
    ((ms <= 2000)) || fail "$what took $ms ms"
}

# Assertions: each ends the script with a message on failure.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

assert_eq() {
    if [[ $1 != "$2" ]]; then
        fail "${3:-values differ}"$'\n'"  expected: $1"$'\n'"  actual:   $2"
    fi
}

assert_file_exists() {
    local path
    path=$(_vtrl_unix "$1")
    [[ -e $path ]] || fail "${2:-missing file} ($1)"
}

assert_no_file() {
    local path
    path=$(_vtrl_unix "$1")
    [[ ! -e $path ]] || fail "${2:-unexpected file} ($1)"
}

# screenshot FILE.png: the whole virtual screen; a bare file name goes to $VTRL_SCREENS.
screenshot() {
    local file=$1
    if [[ $file != */* ]]; then
        file=$VTRL_SCREENS/$file
    fi
    mkdir -p "$(dirname "$file")"
    import -display "$DISPLAY" -window root "$file"
    echo "screenshot: $file" >&2
}

# ---------------------------------------------------------------------------------------------
# The standard user.
#
# Wine has no Windows accounts: every Unix user is an administrator to Windows programs, and
# registry keys carry no enforced permissions. What a standard account does meet on Windows is
# a file system that refuses writes outside its profile. So this runs CMD (a Unix command, one
# of these functions, or a Windows program: a path ending in .exe runs through Wine) as an
# ordinary Unix user, vtrlstd, in a copy of the case's prefix that this user owns - except the
# drive root, the Windows folder with system32, Program Files and the all-users Start menu,
# which stay root's and read-only to it. Creating C:\testwrit then fails with "access denied",
# as it does for a standard user; the profile, HKCU and (unlike Windows) HKLM stay writable.
# Windows programs see the user name vtrlstd and a new profile, C:\users\vtrlstd, holding only
# what Wine creates on demand; HKCU is the copied one.
#
# The copy is taken at the first call in a case, after stopping the administrator's server so
# that the registry is on disk: Windows programs the case started before are ended. Later calls
# reuse the copy. It has its own HOME and its own wineserver; run.sh stops the server and
# deletes the copy with the case.
run_as_standard_user() {
    # A Windows program is run through Wine, as vtrl_wine would, without a time limit.
    local lower=${1,,}
    if [[ $lower == *.exe || $lower == *.com ]]; then
        set -- _vtrl_run_windows_program "$@"
    fi
    if [[ ${VTRL_STANDARD_USER:-0} == 1 ]]; then
        "$@"
        return
    fi
    local std_root=$WINEPREFIX-std
    local std_prefix=$std_root/prefix std_home=$std_root/home
    if [[ ! -d $std_prefix ]]; then
        _vtrl_make_standard_copy "$std_root" || return 1
    fi
    _vtrl_as_standard_user "$std_prefix" "$std_home" "$@"
}

_vtrl_run_windows_program() {
    wine "$@" </dev/null
}

_vtrl_make_standard_copy() {
    local std_root=$1
    local std_prefix=$std_root/prefix std_home=$std_root/home
    if [[ $(id -u) != 0 ]]; then
        echo "run_as_standard_user: needs root to switch users" >&2
        return 1
    fi
    if ! id "$VTRL_STD_USER" >/dev/null 2>&1; then
        useradd --no-create-home --shell /usr/sbin/nologin --comment "Vantorel standard user" \
            "$VTRL_STD_USER" || return 1
    fi
    vtrl_server_stop
    mkdir -p "$std_root" "$std_home"
    vtrl_copy_prefix "$WINEPREFIX" "$std_prefix"
    # Everything but the hard-linked system32 files (shared with the base prefix) becomes the
    # user's; symbolic links (dosdevices/z: is /) are changed themselves, never followed.
    find "$std_prefix" -path "$std_prefix/drive_c/windows/system32" -prune -o -print0 |
        xargs -0 chown -h "$VTRL_STD_USER:" || return 1
    # What a standard user cannot change on Windows: the drive root, the Windows and Program
    # Files folders (no new entries) and the all-users Start menu with its Startup folder.
    local dir
    for dir in "$std_prefix/drive_c" "$std_prefix/drive_c/windows" \
        "$std_prefix/drive_c/Program Files" "$std_prefix/drive_c/Program Files (x86)"; do
        if [[ -d $dir ]]; then
            chown root:root "$dir"
            chmod 755 "$dir"
        fi
    done
    local menu="$std_prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu"
    if [[ -d $menu ]]; then
        chown -R -h root:root "$menu"
        chmod -R go-w "$menu"
    fi
    chown "$VTRL_STD_USER:" "$std_root" "$std_home"
    if [[ -n ${VTRL_LEAK_LOG:-} ]]; then
        touch "$VTRL_LEAK_LOG"
        chmod 666 "$VTRL_LEAK_LOG"
    fi
    vtrl_server_start
    _vtrl_as_standard_user "$std_prefix" "$std_home" vtrl_server_start
}

_vtrl_as_standard_user() {
    local std_prefix=$1 std_home=$2
    shift 2
    # shellcheck disable=SC2016 # the inner shell expands them
    runuser -u "$VTRL_STD_USER" -- env -i \
        HOME="$std_home" USER="$VTRL_STD_USER" LOGNAME="$VTRL_STD_USER" \
        PATH="${VTRL_GUARD_BIN:+$VTRL_GUARD_BIN:}/usr/local/bin:/usr/bin:/bin" \
        LANG="${LANG:-C.UTF-8}" DISPLAY="${DISPLAY:-}" TMPDIR="$std_home" \
        WINEPREFIX="$std_prefix" VTRL_BIN="$VTRL_BIN" VTRL_SCREENS="$VTRL_SCREENS" \
        VTRL_LEAK_LOG="${VTRL_LEAK_LOG:-}" VTRL_STANDARD_USER=1 \
        bash -c 'cd "$HOME" && set -euo pipefail && source "$1" && shift && "$@"' \
        vtrl-standard-user "$VTRL_ROOT/tests/wine/lib.sh" "$@"
}

# Stops the standard user's server (run.sh, after each case; the copy goes with the case).
# The environment must be the one the server was started with, or wineserver -k misses it.
vtrl_standard_stop() {
    local std_root=$1-std
    if [[ -d $std_root/prefix ]] && id "$VTRL_STD_USER" >/dev/null 2>&1; then
        _vtrl_as_standard_user "$std_root/prefix" "$std_root/home" vtrl_server_stop
    fi
}

# ---------------------------------------------------------------------------------------------
# Prefix copies

# Copies a prefix. system32 (most of its 700 MB) is hard-linked, which is safe as long as no
# test writes there - run.sh checks that after every case; everything else, the registry
# files included, is copied for real.
vtrl_copy_prefix() {
    local from=$1 to=$2
    rm -rf "$to"
    mkdir -p "$to/drive_c/windows"
    cp -al "$from/drive_c/windows/system32" "$to/drive_c/windows/" &&
        tar -C "$from" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$to" -xf -
}

if [[ -n ${WINEPREFIX:-} ]]; then
    vtrl_use_prefix "$WINEPREFIX"
elif [[ ${VTRL_HARNESS:-0} != 1 ]]; then
    echo "lib.sh: WINEPREFIX is not set; run the case through tests/wine/run.sh" >&2
    return 1
fi

# ---------------------------------------------------------------------------------------------
# Bad-input cases

# vtrl_data_folder: prints the program's data folder as a Unix path, creating it.
vtrl_data_folder() {
    local folder
    folder=$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')
    [[ -n $folder ]] || return 1
    folder=$(unix_path "$folder") || return 1
    mkdir -p "$folder"
    printf '%s\n' "$folder"
}

# assert_no_crash WHAT [OUTPUT_FILE]: fails when Wine's debugger or its crash dialog is up, or
# when the program's captured output tells of an unhandled exception.
assert_no_crash() {
    local windows
    windows=$(uidriver list winedbg.exe 2>/dev/null || true)
    [[ -z $windows ]] || fail "$1: a crash dialog is up: $windows"
    if [[ -n ${2:-} && -f $2 ]] && grep -qi 'unhandled\|page fault\|winedbg' "$2"; then
        fail "$1: the program crashed: $(grep -i -m 3 'unhandled\|page fault\|winedbg' "$2")"
    fi
}
