#!/usr/bin/env bash
# Sets everything up, then starts the game from its folder. Arguments are
# passed to the game (--windowed, --help, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build/game
exec ./snowquill "$@"
