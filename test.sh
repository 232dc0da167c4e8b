#!/usr/bin/env bash
# Installs what the build and the tests need (the export tests' readers from
# the npm registry too), builds, and runs every test:
# the suite, the suite under the sanitizers, and each fuzz target for 30 s.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
scripts/install-test-readers.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
scripts/run-tests.sh
# The suite again under ASan+UBSan and TSan, and every fuzz target briefly.
scripts/sanitizer-tests.sh
scripts/fuzz.sh 30
