#!/usr/bin/env bash
# A game played where real users keep games: in folders whose names
# Windows-1251 cannot write or that hold a '\', through the playtest driver
# (data folder, script, dump and screenshot files, result file) and through
# the player itself, in a shared results folder of such a name too.
set -euo pipefail
driver=$1
player=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for name in 'Игры' 'café' '日本 語' '«A» ё' 'back\slash'; do
  home="$work/$name"
  game="$home/data_игра"
  mkdir -p "$game"
  GAME="$game" python3 - <<'PY'
import os, struct, zlib
game = os.environ['GAME'].encode()
def png(path, rgb):
    w, h = 40, 20
    raw = b''.join(b'\x00' + bytes(rgb) * w for _ in range(h))
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    open(path, 'wb').write(b'\x89PNG\r\n\x1a\n'
        + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
        + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
# The picture's name as unzip leaves names from Windows: CP866 bytes.
png(game + b'/' + 'дом.png'.encode('cp866'), (250, 200, 0))
png(game + b'/' + 'Кнопка.png'.encode(), (0, 160, 0))
def write(name, text, encoding='cp1251'):
    open(game + b'/' + name.encode(), 'wb').write(text.encode(encoding))
write('allbackpictures.txt', '*screencolor*clSkyBlue#\r\n*picture1*name*ДОМ.png#\r\n')
# Saved as UTF-8 without a mark, as Linux editors save.
write('allbacktexts.txt', '*text1*string1*Где ключ?#\r\n', 'utf-8')
write('allbuttons.txt', '*button1*name*кнопка.png#\r\n'
      '*button1*clickALLGOOD*#playvideo нет.avi^\r\n*button1*clickALLGOOD*#victory^\r\n')
PY
  cat > "$home/сценарий.playtest" <<EOF
expect visible RIS0
expect prop TLine0 caption Где ключ?
click Nazhimalka1
expect message Can't find file  $game/нет.avi
expect result 5
dump сцена.json
screenshot снимок.png
EOF

  # Started in the folder itself, and from elsewhere with the full path.
  out=$(cd "$home" && "$driver" data_игра сценарий.playtest)
  echo "$out"
  [ "$(echo "$out" | tail -n 1)" = "4 passed, 0 failed" ]
  out=$(cd "$work" && "$driver" "$game" "$home/сценарий.playtest" 2>&1) || { echo "$out"; exit 1; }
  [ "$(echo "$out" | tail -n 1)" = "4 passed, 0 failed" ]

  [ -s "$home/снимок.png" ]
  [ "$(od -An -c "$home/mark for игра.txt" | tr -d ' ')" = '5\r\n' ]
  HOME_DIR="$home" python3 - <<'PY'
import json, os
home = os.environ['HOME_DIR']
scene = json.load(open(os.path.join(home, 'сцена.json'), encoding='utf-8'))
state = scene['state']
assert state['workingfolder'] == home + '/', state
assert state['programfilename'] == 'игра', state
assert state['datafolder'] == home + '/data_игра/', state
assert state['videofile'] == home + '/data_игра/нет.avi', state
assert state['endpicturesfile'] == home + '/data_игра/victorypictures.txt', state
assert scene['messages'] == ["Can't find file  " + home + '/data_игра/нет.avi'], scene['messages']
PY

  # The shared results folder, named like the rest.
  shared="$home/итоги «5Б»"
  mkdir "$shared"
  out=$(cd "$home" && TALEPLAY_RESULTS="$shared" "$driver" data_игра сценарий.playtest)
  [ "$(echo "$out" | tail -n 1)" = "4 passed, 0 failed" ] || { echo "$out"; exit 1; }
  [ "$(od -An -c "$shared/$(id -un)/mark for игра.txt" | tr -d ' ')" = '5\r\n' ]
  grep -q ',игра,5' "$shared/$(id -un)/results.csv"
done

# The player itself, a copy named in Cyrillic, starts in such a folder and
# stays up on its game (it ends only when closed; a crash would end it).
home="$work/日本 語"
ln -s "$player" "$home/игра"
status=0
(cd "$home" && QT_QPA_PLATFORM=offscreen timeout 3 ./игра) || status=$?
[ "$status" = 124 ] || { echo "the player ended with $status"; exit 1; }
echo "folders of any name: all good"
