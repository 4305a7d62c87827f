#!/usr/bin/env bash
# Runs the playtest driver as an author would: an empty game dumps and
# screenshots; a missing data folder reports and ends; bad usage says so.
set -euo pipefail
driver=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# English, whatever the machine's own language: the texts below are English.
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LANGUAGE
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

# A result file that is a folder fails the expectation; the script goes on
# and closes as always.
mkdir "mark for empty.txt"
printf 'expect result none\nexpect result 5\nexpect visible VideoWindow1\n' > result.txt
if "$driver" data_empty result.txt > out.txt; then echo "a folder passed as the result"; exit 1; fi
cat out.txt
grep -q 'result.txt:1: FAILED: result none (the result file is not a regular file)' out.txt
grep -q 'result.txt:2: FAILED: result 5' out.txt
tail -n 1 out.txt | grep -qx '0 passed, 3 failed'
rmdir "mark for empty.txt"

# Under a Russian locale the driver's words are Russian; the closing line,
# which scripts read, is not.
printf 'expect result 5\nbogus\n' > ru.txt
if LANG=ru_RU.UTF-8 LC_ALL= "$driver" data_empty ru.txt > out.txt; then echo "a failing script passed"; exit 1; fi
grep -qx 'ru.txt:1: НЕ ПРОЙДЕНО: result 5 (получено none)' out.txt || { cat out.txt; exit 1; }
grep -qx "ru.txt:2: НЕ ПРОЙДЕНО: неизвестная команда 'bogus'" out.txt || { cat out.txt; exit 1; }
tail -n 1 out.txt | grep -qx '0 passed, 2 failed'

# Its screen description does not outlive the driver, in the temporary folder
# it was told of.
mkdir own-tmp
TMPDIR="$work/own-tmp" "$driver" data_empty script.txt > /dev/null
! ls own-tmp/taleplay-screen-* 2> /dev/null || { echo "left behind"; exit 1; }

# With --scratch the game plays from a folder of its own: its result file
# never lands beside the data folder, so every run starts without one.
printf '*button1*name*b.bmp#\r\n*button1*click*#victory^\r\n' > data_empty/allbuttons.txt
python3 - <<'PY'
import struct
w, h = 4, 4
row = b'\x00\x80\x00' * w
pixels = row * h
header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 0, 0, 0, 0)
open('data_empty/b.bmp', 'wb').write(header + info + pixels)
PY
printf 'expect result none\nclick Nazhimalka1\nexpect result 5\n' > win.txt
for run in 1 2; do
  out=$(TMPDIR="$work/own-tmp" "$driver" --scratch data_empty win.txt)
  echo "$out" | tail -n 1 | grep -qx '2 passed, 0 failed' || { echo "$out"; exit 1; }
done
[ ! -e "mark for empty.txt" ] || { echo "--scratch left a result file"; exit 1; }
! ls -d own-tmp/taleplay-scratch-* 2> /dev/null || { echo "scratch folder left behind"; exit 1; }
rm data_empty/allbuttons.txt data_empty/b.bmp

if "$driver" not_a_game 2> err.txt; then echo "bad folder name accepted"; exit 1; fi
grep -q 'data_NAME' err.txt
echo "playtest driver: all good"
