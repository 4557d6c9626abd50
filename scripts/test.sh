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

echo "== the game's logic and loaders again under AddressSanitizer and UndefinedBehaviorSanitizer"
# The sanitized tests play the real levels of the game folder built above.
# Its game folder links to the data built above, so the sanitized binary
# does not take the place of the normal one.
mkdir -p build-asan/game
for d in gfx sfx musica maps; do ln -sfn "$PWD/build/game/$d" "build-asan/game/$d"; done
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSNOWQUILL_SANITIZE=ON -DSNOWQUILL_DATA=OFF -DSNOWQUILL_BENCH=OFF \
  -DSNOWQUILL_GAME_DIR="$PWD/build-asan/game" >/dev/null
SANITIZED=(core/test_core platform/test_platform map/test_map game/test_game scores/test_scores screens/test_screens)
cmake --build build-asan -j"$(nproc)" --target $(for t in "${SANITIZED[@]}"; do basename "$t"; done)
for t in "${SANITIZED[@]}"; do
  (cd "build-asan/tests/$(dirname "$t")" &&
   ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
   "./$(basename "$t")" --gtest_brief=1)
done

echo "== every recorded demo replayed under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --build build-asan -j"$(nproc)" --target snowquill
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  scripts/replay_demos.sh build-asan/game

if [ -x scripts/fuzz.sh ]; then
  echo "== map loader fuzzing"
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "All tests passed."
