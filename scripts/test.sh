#!/usr/bin/env bash
# Sets everything up, then runs every test: the unit and pixel tests (under a
# virtual display), the level checker, the map fuzzer and the end-to-end game.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every build of the test run treats a compiler warning as an error.
export SNOWQUILL_CMAKE_ARGS="${SNOWQUILL_CMAKE_ARGS:-} -DSNOWQUILL_WERROR=ON"
scripts/setup.sh
export SNOWQUILL_GAME_DIR="$PWD/build/game"

run_with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then "$@"
  else xvfb-run -a -s "-screen 0 1024x768x24" "$@"; fi
}

echo "== house rules: includes point down the layers, formatting, tidy checks"
python3 scripts/check_includes.py
scripts/check_format.sh
scripts/check_tidy.sh build

echo "== unit, pixel, level and end-to-end tests"
run_with_display ctest --test-dir build --output-on-failure -j2 --timeout 900 --output-junit "$PWD/build/ctest-junit.xml"
# A skipped test fails the run unless SNOWQUILL_EXPECTED_SKIPS names it.
python3 scripts/check_skips.py build/ctest-junit.xml

echo "== the game's logic and loaders again under AddressSanitizer and UndefinedBehaviorSanitizer"
# The sanitized tests play the real levels of the game folder built above.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSNOWQUILL_SANITIZE=ON -DSNOWQUILL_WERROR=ON -DSNOWQUILL_DATA=OFF -DSNOWQUILL_BENCH=OFF \
  -DSNOWQUILL_GAME_DIR="$PWD/build/game" >/dev/null
SANITIZED=(core/test_core platform/test_platform map/test_map game/test_game scores/test_scores screens/test_screens)
cmake --build build-asan -j"$(nproc)" --target $(for t in "${SANITIZED[@]}"; do basename "$t"; done)
for t in "${SANITIZED[@]}"; do
  (cd "build-asan/tests/$(dirname "$t")" &&
   ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
   "./$(basename "$t")" --gtest_brief=1 | tee /tmp/snowquill-sanitized.log)
  if grep -q '^\[  SKIPPED \]' /tmp/snowquill-sanitized.log; then
    echo "$t skipped tests under the sanitizers:" >&2; grep '^\[  SKIPPED \]' /tmp/snowquill-sanitized.log >&2; exit 1
  fi
done

if [ -x scripts/fuzz.sh ]; then
  echo "== map loader fuzzing"
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "All tests passed."
