#!/usr/bin/env bash
# Installs the Debian packages the project needs, skipping those present.
#   scripts/install-deps.sh build   compiler, libraries and their headers
#   scripts/install-deps.sh test    the above plus what the test run uses
set -euo pipefail

build_packages=(
    cmake ninja-build g++ pkg-config
    qtbase5-dev libqt5opengl5-dev
    libpcl-dev libvtk9-qt-dev libpcap-dev
    libgtest-dev libgmock-dev libbenchmark-dev libdouble-conversion-dev libfmt-dev libx11-dev
    zlib1g-dev
    libgl1-mesa-dri fonts-wqy-microhei
    help2man dpkg-dev
    # the Python module (python/), built for Debian's /usr/bin/python3
    python3-dev pybind11-dev python3-numpy
)
test_packages=(
    desktop-file-utils
    python3-pytest
    xvfb xauth iproute2 util-linux tcpdump
    # the fuzz targets (scripts/fuzz.sh): clang with libFuzzer and its sanitizer runtimes
    clang-16 libfuzzer-16-dev libclang-rt-16-dev
)
# Node and npm run the readers the export tests check files with
# (scripts/install-test-readers.sh); Debian's only where none is installed,
# since another installation of Node would clash with its packages.
command -v node >/dev/null || test_packages+=(nodejs)
command -v npm >/dev/null || test_packages+=(npm)

case "${1:-build}" in
    build) wanted=("${build_packages[@]}") ;;
    test) wanted=("${build_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 build|test" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
