#!/usr/bin/env bash
# The player started from a terminal: help, version, bad usage and bad games
# end at once with their message and no window; without a display it says
# so; a game named on the command line starts and says nothing.
set -euo pipefail
player=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
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

# shellcheck source=../support/command_test.sh
source "$here/../support/command_test.sh"

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
[ "$(cat err.txt)" = "taleplay: author mode: F5 rebuilds the game from its files, F12 shows the inspector, F6 edits it on the screen; a change to a file of the game rebuilds it too" ] ||
  fail "author mode said: $(cat err.txt)"
# A results folder that is not there is said before the game, naming it, in
# the player's language (a message box too, which waits for its OK here);
# the results go to the user's own folder.
run 124 env HOME="$work/home" QT_QPA_PLATFORM=offscreen timeout 3 "$player" --results "$work/nowhere" games/data_quiz
[ "$(cat err.txt)" = "taleplay: The results folder $work/nowhere does not exist. Your result is kept in $work/home/.local/share/taleplay/results/ instead: tell your teacher." ] ||
  fail "a missing results folder: $(cat err.txt)"
run 124 env HOME="$work/home" LANG=ru_RU.UTF-8 QT_QPA_PLATFORM=offscreen TALEPLAY_RESULTS="$work/nowhere" timeout 3 "$player" games/data_quiz
[ "$(cat err.txt)" = "taleplay: Папки результатов $work/nowhere нет. Ваш результат сохранится в $work/home/.local/share/taleplay/results/: скажите об этом учителю." ] ||
  fail "a missing results folder, in Russian: $(cat err.txt)"
# A good one is quiet, and the pupil's folder is made at once.
mkdir -m 1777 class
run 124 env QT_QPA_PLATFORM=offscreen timeout 3 "$player" --results class games/data_quiz
[ ! -s err.txt ] || fail "a good results folder said: $(cat err.txt)"
[ -d "class/$(id -un)" ] || fail "the pupil's folder was not made at the start"

# The class's results in a window: a folder that is none is one line, status
# 2, before any window; a GAME beside it is bad usage.
run 2 "$player" --class-results "$work/empty"
[ "$(cat err.txt)" = "taleplay: $work/empty is no results folder: it holds no results.csv, no pupil's folder with one, and no class.txt" ] ||
  fail "--class-results on an empty folder: $(cat err.txt)"
run 2 "$player" --class-results class games/data_quiz
grep -q '^taleplay: --class-results shows results and plays no GAME' err.txt || fail "--class-results with a GAME: $(cat err.txt)"
printf 'anna\tАнна\n' >class/class.txt
run 124 env QT_QPA_PLATFORM=offscreen timeout 3 "$player" --class-results class
[ ! -s err.txt ] || fail "the class-results window said: $(cat err.txt)"
# A folder with no game, given by a desktop launcher (no terminal), opens the
# chooser on it instead of a line nobody reads; from a terminal it is still
# that line and status 2.
run 124 env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen timeout 5 "$player" empty </dev/null
[ ! -s err.txt ] || fail "the chooser on a folder without a game said: $(cat err.txt)"
if command -v script >/dev/null; then
  status=0
  QT_QPA_PLATFORM=offscreen script -qec "'$player' empty" /dev/null >out.txt 2>&1 || status=$?
  [ "$status" = 2 ] || fail "from a terminal, a folder without a game exited $status: $(cat out.txt)"
  grep -q 'empty holds no game' out.txt || fail "from a terminal: $(cat out.txt)"
else
  echo "skipped: the terminal case needs script(1) (bsdutils)"
fi

# A new game from the template, opened in author mode; in Windows-1251 when
# asked, in UTF-8 by default.
run 124 env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen timeout 5 "$player" --new-game "Мои игры" --name первая --encoding windows-1251
grep -q "^taleplay: made the new game $work/Мои игры/data_первая from the school quiz" err.txt || fail "--new-game said: $(cat err.txt)"
grep -q "^taleplay: author mode" err.txt || fail "the new game is not in author mode: $(cat err.txt)"
[ -f "Мои игры/data_первая/el.png" ] || fail "the new game lacks the template's pictures"
iconv -f cp1251 -t utf-8 "Мои игры/data_первая/allbacktexts.txt" | grep -q 'Загадки о природе' || fail "the new game is not in Windows-1251"
run 124 env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen LANG=ru_RU.UTF-8 timeout 5 "$player" --new-game "Мои игры"
grep -q 'Загадки о природе' "Мои игры/data_моя_игра/allbacktexts.txt" || fail "the new game is not in UTF-8"
run 2 "$player" --new-game "Мои игры" --name первая
grep -q "already exists" err.txt || fail "a new game over an old one: $(cat err.txt)"
echo "taleplay command line: all good"
