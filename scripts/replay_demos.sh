#!/usr/bin/env bash
# Replays every demo in tests/demos/ headless with the game in GAME_DIR
# (default build/game) and fails when one no longer ends in its recorded
# state, or a level's demo no longer reaches the exit. Under a sanitizer
# build any report stops the game and fails the run too.
#   scripts/replay_demos.sh [GAME_DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
GAME_DIR=$(cd "${1:-build/game}" && pwd)
failed=()
for demo in "$ROOT"/tests/demos/*.sqr; do
  [ -e "$demo" ] || continue
  name=$(basename "$demo")
  out=$(cd "$GAME_DIR" && ./snowquill --replay "$demo" --headless 2>&1)
  rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "replay_demos.sh: $name no longer plays as it was recorded (exit $rc):" >&2
    echo "$out" | grep -v '^ALSA' | tail -n 12 | sed 's/^/    /' >&2
    failed+=("$name")
  elif [[ "$name" == level_* ]] && ! grep -q '^digest state=4 ' <<<"$out"; then
    echo "replay_demos.sh: $name does not reach the level's exit" >&2
    failed+=("$name")
  else
    echo "$name: $(grep '^replayed' <<<"$out" | sed 's/^replayed [^:]*: //')"
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "replay_demos.sh: ${#failed[@]} demo(s) changed: ${failed[*]}" >&2
  echo "If the change in behaviour is intended, make the demos again and commit tests/demos/:" >&2
  echo "    scripts/make_demos.py build" >&2
  exit 1
fi
echo "replay_demos.sh: every demo plays as recorded"
