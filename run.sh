#!/usr/bin/env bash
# Installs what the program needs, builds it (Release, in build/) and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build --target vantor-viewer
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: set DISPLAY (or use xvfb-run ./run.sh) to open build/bin/vantor-viewer." >&2
    exit 1
fi
exec build/bin/vantor-viewer "$@"
