#!/usr/bin/env bash
# Builds Cairnwork and runs it or its tests on Debian 12.
#   scripts/dev.sh run    build, create the demo project if missing, start the program on it
#   scripts/dev.sh test   build and run every test headless (the team-server tests against a
#                         throwaway PostgreSQL cluster when pg_virtualenv is installed)
#   scripts/dev.sh deps   install the Debian packages the build needs
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
DEMO=${DEMO:-$BUILD_DIR/demo.cwk}

PACKAGES=(g++ make cmake pkg-config ccache clang-format
          qt6-base-dev libqt6opengl6-dev qt6-charts-dev libqt6sql6-sqlite libqt6svg6
          xvfb xauth fonts-dejavu-core fonts-liberation poppler-utils libbenchmark-dev
          shared-mime-info desktop-file-utils
          libqt6sql6-psql libpq-dev postgresql postgresql-common)

deps() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    deps
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$BUILD_DIR" -j"$(nproc)"
}

case "${1:-}" in
deps)
    deps
    ;;
build)
    build
    ;;
run)
    build
    [ -s "$DEMO" ] || "$BUILD_DIR/cli/cairnwork-cli" demo "$DEMO"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found: starting under Xvfb (nothing will be visible)." >&2
        exec xvfb-run -a "$BUILD_DIR/app/cairnwork" --db "$DEMO"
    fi
    exec "$BUILD_DIR/app/cairnwork" --db "$DEMO"
    ;;
test)
    build
    cd "$BUILD_DIR"
    # pg_virtualenv starts a cluster for the one command and removes it after (also as root).
    server=()
    if command -v pg_virtualenv >/dev/null; then
        server=(pg_virtualenv)
    fi
    QT_QPA_PLATFORM=offscreen "${server[@]}" ctest --output-on-failure -j"$(nproc)"
    ;;
format)
    git ls-files '*.cpp' '*.h' | xargs -r clang-format -i
    ;;
format-check)
    git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run -Werror
    ;;
*)
    echo "usage: scripts/dev.sh run|test|deps|build|format|format-check" >&2
    exit 2
    ;;
esac
