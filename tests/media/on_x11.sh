#!/usr/bin/env bash
# Runs a test program on an X display of its own (Xvfb, 24-bit colour).
# There Qt converts video frames through the display's OpenGL (Mesa), which
# the offscreen tests never reach.
set -euo pipefail
if ! command -v xvfb-run >/dev/null; then
  echo "SKIPPED: xvfb-run is missing (scripts/bootstrap installs xvfb)"
  exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  env TALEPLAY_TEST_ON_DISPLAY=1 QT_QPA_PLATFORM=xcb "$@"
