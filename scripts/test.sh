#!/usr/bin/env bash
# Sets everything up, then runs every test: the unit and pixel tests (under a
# virtual display), the level checker, the map fuzzer and the end-to-end game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export SNOWQUILL_GAME_DIR="$PWD/build/game"

run_with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then "$@"
  else xvfb-run -a -s "-screen 0 1024x768x24" "$@"; fi
}

echo "== unit, pixel, level and end-to-end tests"
run_with_display ctest --test-dir build --output-on-failure -j2 --timeout 900

if [ -x scripts/fuzz.sh ]; then
  echo "== map loader fuzzing"
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "All tests passed."
