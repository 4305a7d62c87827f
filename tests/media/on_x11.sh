#!/usr/bin/env bash
# Runs a test program on an X display of its own (Xvfb, 24-bit colour), as
# a person's player runs, where the offscreen tests never go.
set -euo pipefail
exec bash "$(dirname "$0")/../support/own_display.sh" \
  env TALEPLAY_TEST_ON_DISPLAY=1 QT_QPA_PLATFORM=xcb "$@"
