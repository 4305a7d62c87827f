#!/usr/bin/env bash
# Runs a command on an X display of its own (Xvfb, 1280 x 1024, 24-bit
# colour). The server takes a free display number itself (-displayfd), so
# tests started at the same moment, here or in another checkout, never
# share one, as two `xvfb-run -a` may. Exits 77 (skipped) without Xvfb.
set -euo pipefail
if ! command -v Xvfb >/dev/null; then
  echo "SKIPPED: Xvfb is missing (scripts/bootstrap installs xvfb)"
  exit 77
fi
work=$(mktemp -d)
mkfifo "$work/number"
# -noreset: a server resets when its last client leaves, and a client that
# comes meanwhile finds no display.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/number" 2>"$work/log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
if ! read -r -t 30 number <"$work/number"; then
  echo "Xvfb did not start: $(cat "$work/log")" >&2
  exit 1
fi
status=0
DISPLAY=:$number "$@" || status=$?
exit "$status"
