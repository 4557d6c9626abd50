#!/usr/bin/env bash
# Sets everything up, builds only the game and its data (no tests, no
# benchmarks), then starts the game from its folder. Arguments are passed to
# the game (--windowed, --help, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
SNOWQUILL_BUILD_TARGETS=game_and_data scripts/setup.sh
cd build/game
exec ./snowquill "$@"
