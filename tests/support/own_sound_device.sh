#!/usr/bin/env bash
# Runs a command with a sound device of its own: a private PulseAudio
# server whose one output is a null sink, which takes the sound at its own
# pace and lets nobody hear it. The command's sounds then go through the
# real player, as on a classroom's computer, instead of being timed without
# a device. Exits 77 (skipped) without PulseAudio.
set -euo pipefail
if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
  echo "SKIPPED: PulseAudio is missing (scripts/bootstrap installs pulseaudio)"
  exit 77
fi
work=$(mktemp -d)
mkdir -m 700 "$work/runtime" "$work/config"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
export PULSE_SERVER=unix:$work/native
# Not a daemon: it ends with this script. As root it warns that it is meant
# for a user's session, which is what it is here.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --load="module-null-sink sink_name=silent" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$work/native" \
  >"$work/log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  kill -0 "$server" 2>/dev/null || { echo "PulseAudio did not start: $(cat "$work/log")" >&2; exit 1; }
  sleep 0.1
done
pactl info >/dev/null 2>&1 || { echo "PulseAudio does not answer: $(cat "$work/log")" >&2; exit 1; }
status=0
"$@" || status=$?
exit "$status"
