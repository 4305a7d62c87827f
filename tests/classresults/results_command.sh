#!/usr/bin/env bash
# taleplay-results as a teacher runs it: a results folder with pupils'
# folders, last term's shared table and a class list from Windows; the table
# on the terminal, as CSV and as a page, in English and in Russian; a pupil's
# own data folder; the exit statuses.
set -euo pipefail
command=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LANGUAGE

# shellcheck source=../support/command_test.sh
source "$here/../support/command_test.sh"
cd "$work"

class="$work/итоги 5Б"
mkdir -p "$class/anna" "$class/boris"
chmod 1777 "$class"
printf 'time,login,computer,game,mark\r\n2024-05-17T10:40:00,anna,pc1,квест,2\r\n2024-05-17T10:50:00,anna,pc1,квест,5\r\n' >"$class/anna/results.csv"
printf 'time,login,computer,game,mark\r\n2024-05-17T11:00:00,boris,pc2,квест,2\r\n' >"$class/boris/results.csv"
# Last term's table of the older version, beside the pupils' folders.
printf 'time,login,computer,game,mark\r\n2024-01-15T09:00:00,anna,pc1,лабиринт,5\r\n' >"$class/results.csv"
# Written on Windows: Windows-1251.
printf 'anna\t\xc8\xe2\xe0\xed\xee\xe2\xe0 \xc0\xed\xed\xe0\r\nboris\t\xcf\xe5\xf2\xf0\xee\xe2 \xc1\xee\xf0\xe8\xf1\r\ngleb\t\xd1\xe8\xe4\xee\xf0\xee\xe2 \xc3\xeb\xe5\xe1\r\n' >"$class/class.txt"

run 0 "$command" "$class"
[ ! -s err.txt ] || fail "a clean folder gave: $(cat err.txt)"
expected='Name          Login  Game      Best mark     Last mark  Attempts  First played      Last played
Иванова Анна  anna   квест     5             5          2         2024-05-17 10:40  2024-05-17 10:50
Иванова Анна  anna   лабиринт  5             5          1         2024-01-15 09:00  2024-01-15 09:00
Петров Борис  boris  квест     2             2          1         2024-05-17 11:00  2024-05-17 11:00
Петров Борис  boris  лабиринт  not finished             0
Сидоров Глеб  gleb   квест     not finished             0
Сидоров Глеб  gleb   лабиринт  not finished             0'
[ "$(cat out.txt)" = "$expected" ] || fail "the table:
$(cat out.txt)"

# The same class list saved as UTF-8 by a Linux editor.
iconv -f CP1251 -t UTF-8 "$class/class.txt" >"$work/class.utf8" && cp "$work/class.utf8" "$class/class.txt"
run 0 "$command" "$class"
[ "$(cat out.txt)" = "$expected" ] || fail "the table with a UTF-8 class list"

# For spreadsheets and for printing, with the table on the terminal still.
run 0 "$command" --csv "$work/class.csv" --html "$work/class.html" "$class"
[ "$(cat out.txt)" = "$expected" ] || fail "the table beside the files"
[ "$(head -c 3 "$work/class.csv" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the CSV has no byte-order mark"
head -n 1 "$work/class.csv" | grep -q $'^\xef\xbb\xbfName,Login,Game,Best mark,Last mark,Attempts,First played,Last played\r$' ||
  fail "the CSV's headings: $(head -n 1 "$work/class.csv")"
grep -q $'^Сидоров Глеб,gleb,квест,not finished,,0,,\r$' "$work/class.csv" || fail "the CSV's rows"
grep -q '<td class="m5">5</td>' "$work/class.html" || fail "the page colours no 5"
grep -q '<td class="none">not finished</td>' "$work/class.html" || fail "the page has no not finished"
grep -qF "<p>$class</p>" "$work/class.html" || fail "the page does not name the folder"

# In Russian: the words, and the list separator of Russian spreadsheets.
run 0 env LANG=ru_RU.UTF-8 "$command" --csv - "$class"
head -n 1 out.txt | grep -q $'^\xef\xbb\xbfУченик;Логин;Игра;Лучшая оценка;Последняя оценка;Попыток;Первая игра;Последняя игра\r$' ||
  fail "the Russian CSV's headings: $(head -n 1 out.txt)"
[ "$(wc -l <out.txt)" = 7 ] || fail "--csv - printed more than the CSV"
run 0 env LANG=ru_RU.UTF-8 "$command" "$class"
grep -q '^Сидоров Глеб  gleb   квест     не пройдена' out.txt || fail "the Russian table: $(cat out.txt)"

# Where the player put a pupil's results when the results folder failed.
own="$work/home/.local/share/taleplay/results"
mkdir -p "$own"
printf '5\r\n' >"$own/mark for квест.txt"
printf 'time,login,computer,game,mark\r\n2024-05-17T10:55:00,vera,pc7,квест,5\r\n' >"$own/results.csv"
run 0 "$command" "$own"
grep -q '^vera  vera   квест  5' out.txt || fail "the pupil's own folder: $(cat out.txt)"

# No results folder: status 2 and one line; a file that cannot be written: 1.
mkdir "$work/empty"
run 2 "$command" "$work/empty"
[ "$(cat err.txt)" = "taleplay-results: $work/empty is no results folder: it holds no results.csv, no pupil's folder with one, and no class.txt" ] ||
  fail "an empty folder: $(cat err.txt)"
run 2 "$command" "$work/nowhere"
[ "$(cat err.txt)" = "taleplay-results: $work/nowhere does not exist" ] || fail "a missing folder: $(cat err.txt)"
run 2 env LANG=ru_RU.UTF-8 "$command" "$work/nowhere"
[ "$(cat err.txt)" = "taleplay-results: $work/nowhere не существует" ] || fail "Russian: $(cat err.txt)"
run 2 "$command" --bogus "$class"
grep -q '^Usage: taleplay-results' err.txt || fail "bad usage shows no usage"
run 2 "$command"
run 1 "$command" --csv "$work/empty" "$class"
grep -q "^taleplay-results: $work/empty cannot be written: File access denied" err.txt ||
  fail "an unwritable CSV: $(cat err.txt)"
run 0 "$command" --help
grep -q '^Usage: taleplay-results' out.txt || fail "--help"
echo "results command: all good"
