#!/usr/bin/env bash
# Runs the .clang-tidy checks over the game's code in src/, using the compile
# commands of a configured build folder (default: build). Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
[ -f "$BUILD/compile_commands.json" ] || { echo "check_tidy: configure $BUILD first" >&2; exit 2; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# clang does not know some of GCC's warning options in the compile commands.
if ! run-clang-tidy -p "$BUILD" -j"$(nproc)" -quiet -extra-arg=-Wno-unknown-warning-option "$PWD/src/" >"$log" 2>&1; then
  grep -E 'warning:|error:' -A3 "$log" | grep -v '^Suppressed' >&2 || cat "$log" >&2
  echo "check_tidy: findings above" >&2
  exit 1
fi
echo "check_tidy: src/ is clean"
