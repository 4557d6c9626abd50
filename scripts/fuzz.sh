#!/usr/bin/env bash
# Fuzzes the map loader for SECONDS seconds (default 60): builds the fuzzer
# with clang in build-fuzz, writes the seed corpus with the FMP writer, runs
# it, and fails on any finding. A finding is kept in build-fuzz/findings/;
# copy it to tests/map/regressions/ to keep it as a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S fuzz -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2 --target fmp_fuzzer fmp_seeds

seeds="$BUILD/seeds"
corpus="$BUILD/corpus"
findings="$BUILD/findings"
mkdir -p "$seeds" "$corpus" "$findings"
"$BUILD/fmp_seeds" "$seeds"

# Earlier findings are replayed first: a fixed one must stay fixed.
if compgen -G "tests/map/regressions/*" >/dev/null; then
  "$BUILD/fmp_fuzzer" tests/map/regressions/*
fi

status=0
"$BUILD/fmp_fuzzer" "$corpus" "$seeds" \
  -max_total_time="$SECONDS_TO_RUN" -max_len=16384 -timeout=20 -rss_limit_mb=2560 \
  -artifact_prefix="$findings/" -print_final_stats=1 -close_fd_mask=1 || status=$?
if [ "$status" -ne 0 ]; then
  echo "fuzz.sh: the map loader fuzzer found a problem; the input is in $findings/" >&2
  exit "$status"
fi
echo "fuzz.sh: no findings in ${SECONDS_TO_RUN}s"

# ---- The replay reader: the demos in tests/demos/ are its seeds ----
cmake --build "$BUILD" -j2 --target replay_fuzzer
replay_corpus="$BUILD/replay-corpus"
mkdir -p "$replay_corpus"
status=0
"$BUILD/replay_fuzzer" "$replay_corpus" tests/demos \
  -max_total_time="${REPLAY_FUZZ_SECONDS:-$SECONDS_TO_RUN}" -max_len=65536 -timeout=20 -rss_limit_mb=2560 \
  -artifact_prefix="$findings/replay-" -print_final_stats=1 -close_fd_mask=1 || status=$?
if [ "$status" -ne 0 ]; then
  echo "fuzz.sh: the replay reader fuzzer found a problem; the input is in $findings/" >&2
  exit "$status"
fi
echo "fuzz.sh: no replay reader findings in ${REPLAY_FUZZ_SECONDS:-$SECONDS_TO_RUN}s"
