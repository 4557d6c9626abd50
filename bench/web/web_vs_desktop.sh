#!/usr/bin/env bash
# The browser build beside the desktop build, in the same run: level 6's demo
# drawn as fast as each goes (--timedemo), first in headless Chromium
# (software WebGL), then in the desktop build under Xvfb (software OpenGL);
# then played in the browser a frame per animation frame, with every frame's
# time kept (--frame-stats).
# Builds what is missing first (scripts/web.sh, scripts/web_test.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
exec scripts/web_test.sh --bench "$@"
