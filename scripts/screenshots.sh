#!/usr/bin/env bash
# Remakes the user guide's pictures in docs/images from a fresh demo project,
# under a virtual X server so fonts and styles render as on a desktop.
#   scripts/screenshots.sh            (BUILD_DIR=build by default)
# Needs xvfb-run (packages xvfb and xauth); scripts/dev.sh deps installs them.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
OUT=${OUT:-docs/images}

[ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target cairnwork-cli cairnwork-shots

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$BUILD_DIR/cli/cairnwork-cli" demo "$work/demo.cwk"

mkdir -p "$OUT" "$work/runtime"
chmod 700 "$work/runtime"
# A fixed language and style, so the pictures do not depend on who takes them.
env LC_ALL=C.UTF-8 LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$BUILD_DIR/tools/cairnwork-shots" --db "$work/demo.cwk" --out "$OUT"
