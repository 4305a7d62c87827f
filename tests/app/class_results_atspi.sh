#!/usr/bin/env bash
# The class-results window as a screen reader finds it: the player runs
# under Xvfb (the offscreen platform reaches no bus) in a private D-Bus
# session with its own accessibility bus, and Debian's AT-SPI client reads
# the window from outside. Skips, saying why, where those parts are missing.
set -euo pipefail
player=$1
here=$(cd "$(dirname "$0")" && pwd)

skip() {
  echo "SKIPPED: $*"
  exit 77
}

if [ "${1:-}" = --inside ]; then
  # In the private session on the new display: the accessibility bus, the
  # player, and the client.
  player=$2
  folder=$3
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  bus=$!
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$player" --class-results "$folder" &
  app=$!
  status=0
  /usr/bin/python3 "$here/class_results_atspi.py" "$app" || status=$?
  kill "$app" "$bus" 2>/dev/null || true
  wait "$app" "$bus" 2>/dev/null || true
  exit "$status"
fi

[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed (scripts/bootstrap installs it)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed (scripts/bootstrap installs it)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed (scripts/bootstrap installs dbus-daemon)"
command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/bootstrap installs xvfb)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LANGUAGE
folder="$work/class"
mkdir -p "$folder/anna"
printf 'time,login,computer,game,mark\r\n2024-05-17T10:50:00,anna,pc1,квест,5\r\n' >"$folder/anna/results.csv"
printf 'anna\tАнна\ngleb\tГлеб\n' >"$folder/class.txt"
dbus-run-session -- bash "$here/../support/own_display.sh" bash "$0" --inside "$player" "$folder"
