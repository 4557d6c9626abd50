#!/usr/bin/env bash
# Builds Snowquill for the browser. The site to deploy is build-web/site/ and
# holds nothing else: the page (index.html, page.css, page.js), the game
# (snowquill.js, snowquill.wasm, snowquill.data with the game's data), the
# icons, the web app manifest and the service worker (sw.js) that keeps the
# game for offline play. Build trees and logs stay in build-web/.
#
# Everything comes from the distribution: Debian's emscripten, and SDL2,
# zlib, libpng, libogg and libvorbis built from Debian's own source packages
# into build-web/deps/prefix, which later runs reuse. The game's data is made
# by the desktop build's generators (build/game), brought up to date here.
#
#   scripts/web.sh            set up, build, and say how to play
#   scripts/web.sh --serve    the same, then serve build-web/site on http://localhost:8080
#   scripts/web.sh --no-setup build only (the packages are already there)
#   scripts/web.sh --deps     set up and build the five libraries only
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${SNOWQUILL_WEB_DIR:-$ROOT/build-web}
DEPS=$OUT/deps
PREFIX=$DEPS/prefix
JOBS=${JOBS:-$(nproc)}
SETUP=1
SERVE=0
DEPS_ONLY=0
for arg in "$@"; do
    case "$arg" in
        --serve) SERVE=1 ;;
        --no-setup) SETUP=0 ;;
        --deps) DEPS_ONLY=1 ;;
        -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
        *) echo "web.sh: unknown option $arg" >&2; exit 2 ;;
    esac
done

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# This emscripten's tools run under Node and look for their modules here.
export NODE_PATH=/usr/share/nodejs
export EM_NODE_JS=${EM_NODE_JS:-/usr/bin/node}

log() { echo "web.sh: $*"; }

setup() {
    local need=()
    for p in emscripten dpkg-dev cmake python3 xz-utils; do
        dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
    done
    # Source packages come from the same Debian archive as the binaries.
    if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        log "adding the archive's source packages to apt's sources"
        # The release's own sources (the security archive's may be missing
        # from a mirror; the release's are always there).
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            python3 - /etc/apt/sources.list.d/debian.sources >/tmp/snowquill-deb-src.sources <<'PY'
import re
import sys
stanzas = re.split(r"\n\s*\n", open(sys.argv[1]).read().strip())
keep = [re.sub(r"^Types:.*$", "Types: deb-src", s, flags=re.M) for s in stanzas
        if re.search(r"^Types:.*\bdeb\b", s, re.M) and "security" not in s]
print("\n\n".join(keep))
PY
            $SUDO install -m 644 /tmp/snowquill-deb-src.sources /etc/apt/sources.list.d/snowquill-deb-src.sources
        else
            grep '^deb ' /etc/apt/sources.list | grep -v security | sed 's/^deb /deb-src /' \
                | $SUDO tee /etc/apt/sources.list.d/snowquill-deb-src.list >/dev/null
        fi
        NEED_UPDATE=1
    fi
    if [ ${#need[@]} -gt 0 ] || [ -n "${NEED_UPDATE:-}" ]; then
        $SUDO apt-get update -q
    fi
    if [ ${#need[@]} -gt 0 ]; then
        log "installing ${need[*]}"
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
    fi
}

# Unpacks Debian's source package $1 into $DEPS/src and prints its folder.
fetch_source() {
    local pkg=$1
    mkdir -p "$DEPS/src"
    local dir
    dir=$(find "$DEPS/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n 1)
    if [ -z "$dir" ]; then
        (cd "$DEPS/src" && apt-get source -q "$pkg" >"$DEPS/src/$pkg.log" 2>&1) || {
            cat "$DEPS/src/$pkg.log" >&2
            echo "web.sh: cannot fetch the source package $pkg" >&2
            exit 1
        }
        dir=$(find "$DEPS/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n 1)
    fi
    echo "$dir"
}

CFLAGS_DEPS="-O2"

build_zlib() {
    [ -f "$PREFIX/lib/libz.a" ] && return
    log "building zlib"
    local src
    src=$(fetch_source zlib)
    (cd "$src" && emconfigure ./configure --static --prefix="$PREFIX" >/dev/null &&
        emmake make -j"$JOBS" libz.a >/dev/null && emmake make install >/dev/null && make distclean >/dev/null 2>&1 || true)
    [ -f "$PREFIX/lib/libz.a" ] || { echo "web.sh: zlib did not build" >&2; exit 1; }
}

build_png() {
    [ -f "$PREFIX/lib/libpng16.a" ] && return
    log "building libpng"
    local src
    src=$(fetch_source libpng1.6)
    emcmake cmake -S "$src" -B "$DEPS/build/png" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_INCLUDE_DIR="$PREFIX/include" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DM_LIBRARY=m >/dev/null
    cmake --build "$DEPS/build/png" -j"$JOBS" >/dev/null
    cmake --install "$DEPS/build/png" >/dev/null
}

# libogg and libvorbis are compiled straight from their sources: their own
# build systems do not know this compiler.
build_ogg_vorbis() {
    [ -f "$PREFIX/lib/libvorbisfile.a" ] && return
    log "building libogg and libvorbis"
    local ogg vorbis work=$DEPS/build/vorbis
    ogg=$(fetch_source libogg)
    vorbis=$(fetch_source libvorbis)
    rm -rf "$work" && mkdir -p "$work/ogg" "$work/vorbis" "$PREFIX/include/ogg" "$PREFIX/include/vorbis" "$PREFIX/lib"
    cat >"$PREFIX/include/ogg/config_types.h" <<'EOF'
#ifndef __CONFIG_TYPES_H__
#define __CONFIG_TYPES_H__
#include <stdint.h>
typedef int16_t ogg_int16_t;
typedef uint16_t ogg_uint16_t;
typedef int32_t ogg_int32_t;
typedef uint32_t ogg_uint32_t;
typedef int64_t ogg_int64_t;
typedef uint64_t ogg_uint64_t;
#endif
EOF
    cp "$ogg/include/ogg/ogg.h" "$ogg/include/ogg/os_types.h" "$PREFIX/include/ogg/"
    cp "$vorbis/include/vorbis/codec.h" "$vorbis/include/vorbis/vorbisfile.h" "$PREFIX/include/vorbis/"
    for f in framing bitwise; do
        emcc $CFLAGS_DEPS -I"$PREFIX/include" -c "$ogg/src/$f.c" -o "$work/ogg/$f.o" &
    done
    wait
    emar rcs "$PREFIX/lib/libogg.a" "$work"/ogg/*.o
    local n=0
    for f in mdct smallft block envelope window lsp lpc analysis synthesis psy info floor1 floor0 res0 mapping0 \
        registry codebook sharedbook lookup bitrate; do
        emcc $CFLAGS_DEPS -I"$PREFIX/include" -I"$vorbis/lib" -c "$vorbis/lib/$f.c" -o "$work/vorbis/$f.o" &
        n=$((n + 1))
        if [ $((n % JOBS)) -eq 0 ]; then wait; fi
    done
    wait
    emar rcs "$PREFIX/lib/libvorbis.a" "$work"/vorbis/*.o
    emcc $CFLAGS_DEPS -I"$PREFIX/include" -I"$vorbis/lib" -c "$vorbis/lib/vorbisfile.c" -o "$work/vorbisfile.o"
    emar rcs "$PREFIX/lib/libvorbisfile.a" "$work/vorbisfile.o"
}

build_sdl() {
    [ -f "$PREFIX/lib/libSDL2.a" ] && return
    log "building SDL2 (its configuration alone takes a few minutes)"
    local src
    src=$(fetch_source libsdl2)
    emcmake cmake -S "$src" -B "$DEPS/build/sdl2" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF >/dev/null
    cmake --build "$DEPS/build/sdl2" -j"$JOBS" >/dev/null
    cmake --install "$DEPS/build/sdl2" >/dev/null
}

# The data the desktop build generates (its generators run natively).
build_data() {
    log "generating the game's data with the desktop build (build/)"
    SNOWQUILL_BUILD_TARGETS=game_and_data bash "$ROOT/scripts/setup.sh" >"$OUT/data.log" 2>&1 || {
        tail -n 30 "$OUT/data.log" >&2
        echo "web.sh: the desktop build of the data failed (whole log: $OUT/data.log)" >&2
        exit 1
    }
}

[ $SETUP -eq 1 ] && setup
mkdir -p "$OUT" "$PREFIX"
build_zlib
build_png
build_ogg_vorbis
build_sdl
[ $DEPS_ONLY -eq 1 ] && exit 0
build_data

log "building the game"
SITE=$OUT/site
# Earlier builds wrote the page beside the build trees; only site/ is the site now.
rm -f "$OUT"/index.html "$OUT"/snowquill.js "$OUT"/snowquill.wasm "$OUT"/snowquill.data "$OUT"/favicon.png
emcmake cmake -S "$ROOT" -B "$OUT/game" -DCMAKE_BUILD_TYPE=Release -DSNOWQUILL_WEB_PREFIX="$PREFIX" \
    -DSNOWQUILL_WEB_DATA="$ROOT/build/game" -DSNOWQUILL_WEB_ICONS="$ROOT/build/packaging/icons" \
    -DSNOWQUILL_WEB_OUT="$SITE" >/dev/null
cmake --build "$OUT/game" -j"$JOBS"

size=$(du -cb "$SITE" | tail -n 1 | cut -f1)
log "built the site $SITE: $(( size / 1024 )) KiB in $(ls "$SITE" | wc -l) files"
if [ $SERVE -eq 1 ]; then
    log "serving on http://localhost:8080 (Ctrl+C stops)"
    cd "$SITE" && exec python3 -m http.server 8080 --bind 127.0.0.1
else
    log "play it: scripts/web.sh --serve, then open http://localhost:8080"
fi
