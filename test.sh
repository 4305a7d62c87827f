#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then
# builds everything again under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer and runs every test once more
# (TALEPLAY_SKIP_SANITIZERS=1 skips that second pass).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j"$(nproc)"
(cd "$BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
if [ "${TALEPLAY_SKIP_SANITIZERS:-}" != 1 ]; then
  ./scripts/sanitize
fi
