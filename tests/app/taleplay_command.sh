#!/usr/bin/env bash
# The player started from a terminal: help, version, bad usage and bad games
# end at once with their message and no window; without a display it says
# so; a game named on the command line starts and says nothing.
set -euo pipefail
player=$1
version=$2
driver=$3
work=$(mktemp -d)
silent=
trap 'rm -rf "$work"; [ -z "$silent" ] || rm -f "/tmp/.X$silent-lock"' EXIT
cd "$work"
export XDG_CONFIG_HOME="$work/config"
# English, whatever the machine's own language: the texts below are English.
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LANGUAGE
mkdir -p games/data_quiz empty
touch notes.txt
# A short silent sound, so the media stack starts (it has most to say).
printf 'RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00\x02\x00\x10\x00data\x08\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >games/data_quiz/beep.wav
printf '*sound*beep.wav#\r\n' >games/data_quiz/allbackpictures.txt

fail() {
  echo "FAILED: $*"
  exit 1
}

# run STATUS ARGS...: runs the player, checks its exit status, keeps its
# output in out.txt and err.txt.
run() {
  local want=$1 got=0
  shift
  "$@" >out.txt 2>err.txt || got=$?
  [ "$got" = "$want" ] || fail "$* exited $got, not $want; stderr: $(cat err.txt)"
}

run 0 "$player" --help
head -n 1 out.txt | grep -qx 'Usage: taleplay \[OPTIONS\] \[GAME\]' || fail "--help: $(head -n 1 out.txt)"
[ ! -s err.txt ] || fail "--help wrote to stderr"

# In Russian where the locale asks for it; the option names stay.
run 0 env LANG=ru_RU.UTF-8 "$player" --help
head -n 1 out.txt | grep -qx 'Использование: taleplay \[ПАРАМЕТРЫ\] \[ИГРА\]' || fail "Russian --help: $(head -n 1 out.txt)"
grep -q -- '--author' out.txt || fail "Russian --help lost an option"
run 2 env LC_MESSAGES=ru_RU.UTF-8 "$player" --bogus
[ "$(head -n 1 err.txt)" = "taleplay: неизвестный параметр '--bogus'" ] || fail "Russian bad usage: $(head -n 1 err.txt)"
# The message scripts read stays as it is.
run 1 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LANG=ru_RU.UTF-8 "$player" games/data_quiz
[ "$(cat err.txt)" = "taleplay: no graphical display (DISPLAY and WAYLAND_DISPLAY are not set)" ] ||
  fail "Russian no display: $(cat err.txt)"

run 0 "$player" --version
[ "$(cat out.txt)" = "taleplay $version" ] || fail "--version: $(cat out.txt)"
[ ! -s err.txt ] || fail "--version wrote to stderr"

run 2 "$player" --bogus games/data_quiz
[ "$(head -n 1 err.txt)" = "taleplay: unknown option '--bogus'" ] || fail "bad usage: $(head -n 1 err.txt)"
grep -q '^Usage: taleplay' err.txt || fail "bad usage shows no usage"
[ ! -s out.txt ] || fail "bad usage wrote to stdout"

# A game that is none: one line, status 2, before any display is looked for.
for game in nowhere notes.txt empty; do
  run 2 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$player" "$game"
  [ "$(wc -l <err.txt)" = 1 ] || fail "$game: $(cat err.txt)"
  grep -q "^taleplay: $game" err.txt || fail "$game: $(cat err.txt)"
done

for args in "" "games/data_quiz" "--screen 800x600 games"; do
  # shellcheck disable=SC2086
  run 1 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$player" $args
  [ "$(cat err.txt)" = "taleplay: no graphical display (DISPLAY and WAYLAND_DISPLAY are not set)" ] ||
    fail "no display ($args): $(cat err.txt)"
done

# An X display nobody serves: one line and status 1, not the toolkit's
# abort. The number has neither socket nor lock file, and a lock file of ours
# (an X server's format, naming this live shell) keeps any X server started
# meanwhile (xvfb-run -a, Xvfb) off it. The driver plays offscreen whatever
# the display.
for n in $(seq 700 999); do
  [ -e "/tmp/.X11-unix/X$n" ] && continue
  if (set -C; printf '%10d\n' $$ >"/tmp/.X$n-lock") 2>/dev/null; then
    silent=$n
    break
  fi
done
if [ -n "$silent" ]; then
  run 1 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$silent" "$player" games/data_quiz
  [ "$(cat err.txt)" = "taleplay: the display :$silent does not answer" ] ||
    fail "silent display: $(cat err.txt)"
  run 1 env -u WAYLAND_DISPLAY DISPLAY=":$silent" QT_QPA_PLATFORM=xcb "$player" games
  [ "$(cat err.txt)" = "taleplay: the display :$silent does not answer" ] ||
    fail "silent display for the chooser: $(cat err.txt)"
  run 0 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$silent" "$driver" games/data_quiz
  [ "$(tail -n 1 out.txt)" = "0 passed, 0 failed" ] || fail "driver on a silent display: $(cat out.txt err.txt)"
  rm -f "/tmp/.X$silent-lock"
  silent=
else
  echo "SKIPPED: a display nobody serves: every number from 700 to 999 is taken"
fi

# A real start, offscreen; the game runs until it is stopped. Nothing on
# stderr, though the toolkit has things to say when asked.
run 124 env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen timeout 5 "$player" --screen 800x600 games
[ ! -s err.txt ] || fail "a quiet start said: $(cat err.txt)"
grep -q 'name=@ByteArray(quiz)' config/taleplay/taleplay.ini || fail "the game was not remembered"
grep -q "folder=@ByteArray($work/games)" config/taleplay/taleplay.ini || fail "the game's folder was not remembered"

run 124 env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen timeout 5 "$player" --verbose games/data_quiz
[ -s err.txt ] || fail "--verbose showed nothing"

# Author mode says which keys it brings, and nothing else.
run 124 env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen timeout 5 "$player" --watch games/data_quiz
[ "$(cat err.txt)" = "taleplay: author mode: F5 rebuilds the game from its files, F12 shows the inspector; a change to a file of the game rebuilds it too" ] ||
  fail "author mode said: $(cat err.txt)"
echo "taleplay command line: all good"
