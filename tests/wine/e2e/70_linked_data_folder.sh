#!/usr/bin/env bash
# An administrator's process (the prefix's default user, for whom the administrator probe says
# yes) never writes through a link planted in place of its data folder: with the folder replaced
# by a symbolic link to another folder (Wine reports a link to a folder as a reparse point, as
# Windows does a junction), every write, read and removal there fails and the other folder keeps
# its one file unchanged. The same probe against the real folder succeeds, so the refusal is the link's doing.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

probe=$VTRL_BIN/facts_probe.exe
data=$(vtrl_data_folder)
mkdir -p "$data"

plain=$(vtrl_wine 30 "$probe" write | tr -d '\r')
assert_eq "IsAdmin=1" "$(grep '^IsAdmin=' <<<"$plain")" "the prefix's default user"
for step in ReplaceAll Overwrite CreateNew Read Remove; do
    assert_eq "$step=1" "$(grep "^$step=" <<<"$plain")" "$step in the real data folder"
done

elsewhere=$(drive_c)/vtrl-elsewhere
mkdir -p "$elsewhere"
printf 'theirs\r\n' >"$elsewhere/ActionsDB.txt"
rm -rf "$data"
ln -s "$elsewhere" "$data"
linked=$(vtrl_wine 30 "$probe" write | tr -d '\r')
for step in ReplaceAll Overwrite CreateNew Read Remove; do
    assert_eq "$step=0" "$(grep "^$step=" <<<"$linked")" "$step through a linked data folder"
done
assert_eq "ActionsDB.txt" "$(ls -A "$elsewhere")" "files in the folder the link points to"
assert_eq "theirs" "$(tr -d '\r' <"$elsewhere/ActionsDB.txt")" "the file the link reaches"
rm "$data"
