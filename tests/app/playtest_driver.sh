#!/usr/bin/env bash
# Runs the playtest driver as an author would: an empty game dumps and
# screenshots; a missing data folder reports and ends; bad usage says so.
set -euo pipefail
driver=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir data_empty
printf '# comment\n\ndump scene.json\nscreenshot shot.png\n' > script.txt

out=$("$driver" --screen 1024x768 data_empty script.txt)
echo "$out"
[ "$(echo "$out" | tail -n 1)" = "0 passed, 0 failed" ]
grep -q '"width": 1024' scene.json
grep -q '"color": "$FF00000F"' scene.json
grep -q '"datafolder": ".*/data_empty/"' scene.json
[ -s shot.png ]

out=$("$driver" data_missing script.txt)
echo "$out" | grep -q "program ended: Can't find file  $work/data_missing/"
grep -q "\"Can't find file  $work/data_missing/\"" scene.json

printf 'frobnicate\n' > bad.txt
if "$driver" data_empty bad.txt > out.txt; then echo "unknown command passed"; exit 1; fi
grep -q "bad.txt:1: FAILED: unknown command 'frobnicate'" out.txt
tail -n 1 out.txt | grep -qx '0 passed, 1 failed'

if "$driver" not_a_game 2> err.txt; then echo "bad folder name accepted"; exit 1; fi
grep -q 'data_NAME' err.txt
echo "playtest driver: all good"
