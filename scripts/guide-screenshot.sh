#!/usr/bin/env bash
# Makes Resources/guide/range-image.png, the user guide's picture of the range
# image beside the 3D view: the viewer receives sensor-sim on loopback inside
# a private network namespace, under Xvfb at 1600x900.
#   scripts/guide-screenshot.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
output=$(realpath -m "${1:-Resources/guide/range-image.png}")
build_dir=${VANTOR_BUILD_DIR:-build}

cmake --build "$build_dir" --target guide_screenshot sensor-sim

if [ "$(id -u)" -eq 0 ]; then
    unshare=(unshare -n)
else
    unshare=(unshare -rn)
fi
"${unshare[@]}" bash -c 'ip link set lo up && exec "$@"' bash \
    xvfb-run -a -s "-screen 0 1600x900x24" \
    "$build_dir/tests/guide_screenshot" "$build_dir/bin/sensor-sim" "$output"
echo "Wrote $output"
