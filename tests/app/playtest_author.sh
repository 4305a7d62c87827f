#!/usr/bin/env bash
# Author mode through the driver, as an author's script uses it: a file
# changed, `key F5`, and the dump shows the change; `key F12` shows the
# inspector and `key F12` again leaves the screen as it was. Without
# --author the same keys change nothing.
set -euo pipefail
driver=$1
work=$(mktemp -d)
trap 'exec 3>&- 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LANGUAGE

fail() {
  echo "FAILED: $*"
  exit 1
}

# The driver reads its script from a pipe, so the test can change the game
# between two commands. `say` sends a command; `settle FILE` waits until the
# driver has written FILE, so everything before it has run.
start() {
  rm -f script.fifo
  mkfifo script.fifo
  "$driver" "$@" data_quiz - <script.fifo >out.txt 2>&1 &
  pid=$!
  exec 3>script.fifo
}
say() { printf '%s\n' "$*" >&3; }
settle() {
  local n=0
  until [ -s "$1" ]; do
    n=$((n + 1))
    [ $n -lt 600 ] || fail "the driver never wrote $1: $(cat out.txt)"
    sleep 0.05
  done
}
finish() {
  exec 3>&-
  status=0
  wait "$pid" || status=$?
}
game() {
  rm -rf data_quiz ./*.json ./*.png
  mkdir data_quiz
  printf '*screencolor*clYellow#\r\n' >data_quiz/allbackpictures.txt
  printf '*text1*string1*Hello#\r\n' >data_quiz/allbacktexts.txt
}
edit() {
  printf '*screencolor*clRed#\r\n' >data_quiz/allbackpictures.txt
  printf '*text1*string1*Goodbye#\r\n' >data_quiz/allbacktexts.txt
}

# Author mode.
game
start --author
say dump before.json
settle before.json
edit
say key F5
say dump after.json
say screenshot rebuilt.png
say key F12
say screenshot inspector.png
say key F12
say screenshot again.png
say expect prop TLine0 caption Goodbye
finish
cat out.txt
[ "$status" = 0 ] || fail "author run exited $status"
grep -q '"caption": "Hello"' before.json || fail "before: $(grep caption before.json)"
grep -q '"caption": "Goodbye"' after.json || fail "F5 did not rebuild: $(grep caption after.json)"
grep -q '"color": "\$000000FF"' after.json || fail "F5 kept the old colour"
[ "$(grep -c '"name": "TLine0"' after.json)" = 1 ] || fail "the old text is still there"
cmp -s rebuilt.png inspector.png && fail "F12 showed nothing"
cmp -s rebuilt.png again.png || fail "F12 twice left the screen changed"
tail -n 1 out.txt | grep -qx '1 passed, 0 failed' || fail "summary: $(tail -n 1 out.txt)"

# A student's game: the keys arrive, and nothing happens.
game
start
say screenshot plain.png
settle plain.png
edit
say key F5
say dump after.json
say key F12
say screenshot pressed.png
say key Tab
say key Return
say key a
finish
[ "$status" = 0 ] || fail "plain run exited $status: $(cat out.txt)"
grep -q '"caption": "Hello"' after.json || fail "F5 rebuilt without --author"
cmp -s plain.png pressed.png || fail "F12 changed the screen without --author"

# Names the driver does not know are a failed step, said in the author's
# language; the closing line stays as scripts read it.
game
printf 'key Banana\nkey F13\nkey F5\n' >bad.txt
status=0
LANG=ru_RU.UTF-8 "$driver" --author data_quiz bad.txt >out.txt 2>&1 || status=$?
cat out.txt
[ "$status" = 1 ] || fail "unknown keys passed"
grep -q "^bad.txt:1: НЕ ПРОЙДЕНО: key ждёт F1–F12, .*, а не 'Banana'$" out.txt || fail "no Russian failure"
grep -q "^bad.txt:2: НЕ ПРОЙДЕНО: .*'F13'$" out.txt || fail "F13 accepted"
tail -n 1 out.txt | grep -qx '0 passed, 2 failed' || fail "summary: $(tail -n 1 out.txt)"
if LANG=ru_RU.UTF-8 "$driver" 2>err.txt; then fail "no folder accepted"; fi
grep -q '^taleplay-playtest: не указана папка данных$' err.txt || fail "usage: $(cat err.txt)"
echo "playtest author mode: all good"
