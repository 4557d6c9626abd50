#!/usr/bin/env bash
# Builds the browser version (scripts/web.sh) and plays it in headless
# Chromium (tests/web/web_test.mjs): the splash as its picture, keys reaching
# the menu, sound starting with the first key, level 1's HUD, a name saved to
# the browser's storage and found by a new tab, Quit, and the level 1 demo
# replayed to the desktop's digest. Arguments go to the test (--bench adds
# level 6 drawn as fast as it goes, beside the desktop build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/web.sh

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
want=()
dpkg-query -W -f='${Status}' chromium 2>/dev/null | grep -q "install ok installed" || want+=(chromium)
# Node.js and npm may come from elsewhere (NodeSource, say) than Debian's packages.
command -v node >/dev/null || want+=(nodejs)
command -v npm >/dev/null || want+=(npm)
if [ ${#want[@]} -gt 0 ]; then
  echo "Installing: ${want[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${want[@]}"
fi
# The test's one package (playwright-core, driving Debian's Chromium), as locked.
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)

run_with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then "$@"
  else xvfb-run -a -s "-screen 0 1024x768x24" "$@"; fi
}
# The desktop build replays the same demos, to compare (its timedemo needs a display).
run_with_display node tests/web/web_test.mjs --site build-web/site --data build/game --desktop build/game/snowquill "$@"
