#!/usr/bin/env bash
# Sets everything up, then runs every test: the unit and pixel tests (under a
# virtual display), the level checker and the end-to-end game; the browser
# build in headless Chromium; then the same tests and the game once more on a
# sanitized build, and the fuzzers.
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

# The browser test, run by whatever command comes first (an env for the
# locale). Exit status 77 is a skip (no Chromium or no build): a failure
# unless SNOWQUILL_EXPECTED_SKIPS names "web".
browser_test() {
  local status=0
  "$@" scripts/web_test.sh || status=$?
  if [ "$status" -eq 77 ] && [[ ",${SNOWQUILL_EXPECTED_SKIPS:-}," == *,web,* ]]; then
    echo "the browser test was skipped, as SNOWQUILL_EXPECTED_SKIPS allows"
  elif [ "$status" -ne 0 ]; then
    echo "the browser test failed (status $status)" >&2
    exit 1
  fi
}

echo "== the browser build (scripts/web.sh), played in headless Chromium"
browser_test env

echo "== the window tests again, under another locale and with no X fonts"
# The first pass ran under the machine's own locale and fonts; this one runs
# the tests that open the real game's windows (ctest label "window") and the
# browser test under the C locale (C.UTF-8 where the first pass had C), on
# displays that have only the X server's built-in fonts.
other_locale=(env -u LANG -u LANGUAGE LC_ALL=C)
[ "${LC_ALL:-${LANG:-}}" = C ] && other_locale=(env -u LC_ALL -u LANGUAGE LANG=C.UTF-8)
export SNOWQUILL_TEST_XFONTS=none
"${other_locale[@]}" xvfb-run -a -s "-screen 0 1024x768x24 -fp built-ins" \
  ctest --test-dir build -L window --output-on-failure -j2 --timeout 900 --output-junit "$PWD/build/ctest-window-junit.xml"
python3 scripts/check_skips.py build/ctest-window-junit.xml
browser_test "${other_locale[@]}"
unset SNOWQUILL_TEST_XFONTS

echo "== the game's logic and loaders again under AddressSanitizer and UndefinedBehaviorSanitizer"
# The sanitized build has a game folder of its own: the data built above
# linked beside the sanitized executable, for the end-to-end game and the
# demos below (the normal binary stays where it is).
ASAN_GAME="$PWD/build-asan/game"
mkdir -p "$ASAN_GAME"
for d in gfx sfx musica maps; do rm -rf "${ASAN_GAME:?}/$d"; ln -sfn "$PWD/build/game/$d" "$ASAN_GAME/$d"; done
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSNOWQUILL_SANITIZE=ON -DSNOWQUILL_WERROR=ON -DSNOWQUILL_DATA=OFF -DSNOWQUILL_BENCH=OFF \
  -DSNOWQUILL_GAME_DIR="$ASAN_GAME" >/dev/null
SANITIZED=(core/test_core platform/test_platform map/test_map game/test_game scores/test_scores screens/test_screens)
cmake --build build-asan -j"$(nproc)" --target snowquill $(for t in "${SANITIZED[@]}"; do basename "$t"; done)
# Leaks inside system libraries are suppressed by name (scripts/lsan.supp),
# so a clean run exits 0 and any report in the game's code fails.
SANITIZER_ENV=(ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
               LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
               UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1)
for t in "${SANITIZED[@]}"; do
  (cd "build-asan/tests/$(dirname "$t")" &&
   env "${SANITIZER_ENV[@]}" "./$(basename "$t")" --gtest_brief=1 | tee /tmp/snowquill-sanitized.log)
  if grep -q '^\[  SKIPPED \]' /tmp/snowquill-sanitized.log; then
    echo "$t skipped tests under the sanitizers:" >&2; grep '^\[  SKIPPED \]' /tmp/snowquill-sanitized.log >&2; exit 1
  fi
done

# The end-to-end game once on the sanitized build, as the normal build's
# e2e_play_through test runs it (tests/e2e/CMakeLists.txt).
run_sanitized_game() {
  mkdir -p build-asan/e2e-shots
  run_with_display env "${SANITIZER_ENV[@]}" \
    python3 tests/e2e/play_through.py --game-dir "$ASAN_GAME" --shots "$PWD/build-asan/e2e-shots"
}
echo "== the end-to-end game on the sanitized build"
run_sanitized_game

echo "== every recorded demo replayed under AddressSanitizer and UndefinedBehaviorSanitizer"
env "${SANITIZER_ENV[@]}" scripts/replay_demos.sh "$ASAN_GAME"

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing every file reader (corpus and past findings replayed first)"
  scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
fi
echo "All tests passed."
