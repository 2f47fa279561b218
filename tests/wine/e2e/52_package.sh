#!/usr/bin/env bash
# The release package: built from the current Windows build, it holds the two programs, the
# language files, the sound, the README and the licence in one folder; unpacked into the
# expected install folder, "vantorel.exe install" works from it.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

build=$VTRL_ROOT/build/windows
zip=$build/Vantorel-1.0-win64.zip
cmake --build "$build" --target package >"$VTRL_CASE_DIR/package.log" 2>&1 ||
    fail "building the package failed (see $VTRL_CASE_DIR/package.log)"
assert_file_exists "$zip" "the package"

mapfile -t names < <(python3 -c 'import sys, zipfile
for name in zipfile.ZipFile(sys.argv[1]).namelist(): print(name)' "$zip" | sort)
expected=(vantorel.exe vantorelc.exe sound.wav README.md LICENSE)
for language in "$VTRL_ROOT"/Languages/*.ini "$VTRL_ROOT"/Languages/*.jpg; do
    expected+=("Languages/$(basename "$language")")
done
for name in "${expected[@]}"; do
    printf '%s\n' "${names[@]}" | grep -qxF "Vantorel-1.0-win64/$name" ||
        fail "the package lacks $name"
done
for name in "${names[@]}"; do
    [[ $name == Vantorel-1.0-win64/* ]] || fail "the package has $name outside its folder"
    [[ $name != *.sh ]] || fail "the package ships the build script $name"
done
grep -q 'Copyright (c) 2026 Vantorel developers' "$VTRL_ROOT/LICENSE" || fail "the licence"

unpacked=$VTRL_CASE_DIR/unpacked
rm -rf "$unpacked"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
    "$zip" "$unpacked"
cmp "$unpacked/Vantorel-1.0-win64/vantorel.exe" "$VTRL_BIN/vantorel.exe" ||
    fail "the packaged program is not the one just built"
install_dir="$(drive_c)/Program Files/Vantorel 1"
rm -rf "$install_dir"
mv "$unpacked/Vantorel-1.0-win64" "$install_dir"

rc=0
vtrl_wine 60 "$install_dir/vantorel.exe" install || rc=$?
assert_eq 0 "$rc" "install from the unpacked package"
for _ in $(seq 100); do
    [[ -s $VTRL_URL_LOG ]] && break
    sleep 0.1
done
tr -d '\r' <"$VTRL_URL_LOG" | grep -q '&to=install&' || fail "the install page was not opened"
programs=$(unix_path "$(win_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")
# The group's texts come from the packaged language files.
assert_file_exists "$programs/Vantorel 1/Vantorel on the Web.url" "the web-site link"
assert_file_exists "$programs/Vantorel 1/Vantorel 1.lnk" "the program shortcut"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 1'
command=$(reg_get "$entry" UninstallString)
[[ $command =~ ^([^\ ]+)\ uninstall$ ]] || fail "UninstallString is '$command'"
[[ $(unix_path "${BASH_REMATCH[1]}") -ef $install_dir/vantorel.exe ]] ||
    fail "UninstallString names ${BASH_REMATCH[1]}"

# The console companion runs from the package too.
rc=0
vtrl_wine 60 "$install_dir/vantorelc.exe" --help >"$VTRL_CASE_DIR/vantorelc.out" 2>&1 || rc=$?
assert_eq 0 "$rc" "vantorelc --help from the package"
grep -q 'vantorelc --help' "$VTRL_CASE_DIR/vantorelc.out" || fail "vantorelc printed no usage"
