#!/usr/bin/env bash
# Installs the readers that the export tests check lidar-export's MCAP and
# LAS files with: the npm packages pinned in tests/readers/package-lock.json,
# into tests/readers/node_modules. They come from the npm registry; without
# it this fails with a message rather than let the checks be skipped.
set -euo pipefail
cd "$(dirname "$0")/../tests/readers"

for tool in node npm; do
    if ! command -v "$tool" >/dev/null; then
        echo "$0: $tool is missing: scripts/install-deps.sh test installs it" >&2
        exit 1
    fi
done

# Installed from this very lockfile already.
stamp=node_modules/.installed-from-lock
if [ -f "$stamp" ] && cmp -s package-lock.json "$stamp"; then
    exit 0
fi
echo "Installing the export readers (npm ci in tests/readers)"
# No package needs an install script; none may run one.
if ! npm ci --ignore-scripts --no-audit --no-fund --loglevel=error; then
    echo "$0: the export readers could not be installed from the npm registry (npm ci failed" \
         "above); the tests of lidar-export's MCAP and LAS files need them" >&2
    exit 1
fi
cp package-lock.json "$stamp"
