#!/usr/bin/env bash
# Fuzzes every file reader of the game for SECONDS seconds each (default 30):
# builds the fuzzers with clang in build-fuzz, replays the kept corpus and
# every past finding, then fuzzes each target from its corpus and seeds, and
# fails on any finding. A finding is kept in build-fuzz/findings/<target>/;
# copy it to fuzz/regressions/<target>/ to keep it as a regression test.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#   FUZZ_MERGE=1 scripts/fuzz.sh ...  also merges what was found into the
#                                     minimised corpus in fuzz/corpus/
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-30}
shift || true
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
GAME=${SNOWQUILL_GAME_DIR:-build/game}

# target, largest input, dictionary, folder of the game's own files of that
# kind, extra AddressSanitizer options (the Ogg library has no frame pointers:
# its leak suppression needs the full unwinder).
TARGETS=(
  "fmp_fuzzer 131072 fuzz/dict/fmp.dict maps -"
  "png_fuzzer 65536 fuzz/dict/png.dict gfx -"
  "ogg_fuzzer 65536 fuzz/dict/ogg.dict sfx fast_unwind_on_malloc=0"
  "hiscore_fuzzer 1024 - - -"
  "replay_fuzzer 65536 - - -"
  "settings_fuzzer 20000 fuzz/dict/settings.dict - -"
)
WANTED=("$@")

CC=clang CXX=clang++ cmake -S fuzz -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
names=()
for line in "${TARGETS[@]}"; do names+=("${line%% *}"); done
cmake --build "$BUILD" -j2 --target "${names[@]}" fmp_seeds

seeds="$BUILD/seeds"
mkdir -p "$seeds"
mkdir -p "$seeds/fmp_fuzzer" "$seeds/replay_fuzzer"
"$BUILD/fmp_seeds" "$seeds/fmp_fuzzer"
# The recorded demos are the replay reader's seeds.
cp tests/demos/*.sqr "$seeds/replay_fuzzer/" 2>/dev/null || true

# Leaks inside system libraries are suppressed by name; see the file.
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0"
summary=()
status=0
for line in "${TARGETS[@]}"; do
  read -r name maxlen dict folder asan <<<"$line"
  export ASAN_OPTIONS="$([ "$asan" != "-" ] && echo "$asan")"
  if [ "${#WANTED[@]}" -gt 0 ] && [[ ! " ${WANTED[*]} " =~ " $name " ]]; then continue; fi
  corpus="fuzz/corpus/$name"
  work="$BUILD/corpus/$name"
  findings="$BUILD/findings/$name"
  seed="$seeds/$name"
  mkdir -p "$corpus" "$work" "$findings" "$seed"
  # The game's own files of this kind (the real maps are 40-100 KB).
  if [ "$folder" != "-" ] && [ -d "$GAME/$folder" ]; then
    find "$GAME/$folder" -maxdepth 1 -type f -size -"$((maxlen / 1024))"k -exec cp {} "$seed/" \;
  fi
  # Earlier findings are replayed first: a fixed one must stay fixed. Then
  # the kept corpus, every input once.
  regressions=()
  for d in "fuzz/regressions/$name"; do
    if compgen -G "$d/*" >/dev/null; then regressions+=("$d"/*); fi
  done
  if [ "${#regressions[@]}" -gt 0 ]; then
    "$BUILD/$name" -rss_limit_mb=2560 -malloc_limit_mb=1024 "${regressions[@]}" >/dev/null 2>&1 ||
      { echo "fuzz.sh: $name fails on a past finding" >&2; "$BUILD/$name" "${regressions[@]}"; exit 1; }
  fi
  if compgen -G "$corpus/*" >/dev/null; then
    "$BUILD/$name" -rss_limit_mb=2560 -malloc_limit_mb=1024 -runs=0 "$corpus" >/dev/null 2>&1 ||
      { echo "fuzz.sh: $name fails on its corpus" >&2; "$BUILD/$name" -runs=0 "$corpus"; exit 1; }
  fi
  dictArg=()
  [ "$dict" != "-" ] && dictArg=(-dict="$dict")
  log="$BUILD/$name.log"
  rc=0
  "$BUILD/$name" "$work" "$corpus" "$seed" "${dictArg[@]}" \
    -max_total_time="$SECONDS_TO_RUN" -max_len="$maxlen" -timeout=20 -rss_limit_mb=2560 -malloc_limit_mb=1024 \
    -artifact_prefix="$findings/" -print_final_stats=1 -close_fd_mask=1 >"$log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  largest=$(find "$work" "$corpus" "$seed" -type f -printf '%s\n' 2>/dev/null | sort -n | tail -1)
  largestNew=$(find "$work" -type f -printf '%s\n' 2>/dev/null | sort -n | tail -1)
  summary+=("$(printf '%-15s %8s executions in %ss, largest input %s bytes (largest found by fuzzing %s)' \
    "$name" "${execs:-?}" "$SECONDS_TO_RUN" "${largest:-0}" "${largestNew:-0}")")
  if [ "$rc" -ne 0 ]; then
    tail -60 "$log" >&2
    echo "fuzz.sh: $name found a problem; the input is in $findings/" >&2
    status=$rc
    continue
  fi
  if [ "${FUZZ_MERGE:-0}" = 1 ]; then
    merged="$BUILD/merged/$name"
    rm -rf "$merged" && mkdir -p "$merged"
    # The kept corpus stays small: inputs are cut to 8 KB (the game's own
    # files are seeds taken from the game folder at every run).
    "$BUILD/$name" -merge=1 -max_len=$((maxlen < 8192 ? maxlen : 8192)) -rss_limit_mb=2560 -malloc_limit_mb=1024 \
      "$merged" "$corpus" "$work" >/dev/null 2>&1
    rm -rf "$corpus" && mv "$merged" "$corpus"
  fi
done
printf '%s\n' "${summary[@]}"
[ "$status" -eq 0 ] && echo "fuzz.sh: no findings"
exit "$status"
