#!/usr/bin/env bash
# Builds the Debian package of a build tree, checks its files and its
# dependency list, installs it into a throwaway root and runs the programs
# installed there from another working directory, without a display; with
# "python", also the Python module with Debian's python3.
#   check-debian-package.sh BUILD_DIR [python]
set -euo pipefail
build=$(cd "$1" && pwd)
python_module=${2:-}
module_pattern='^/usr/lib/python3/dist-packages/vantor\.cpython-[^/]*\.so$'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Runs a command quietly; shows its output when it fails.
quietly() {
    local log=$work/command.log
    "$@" >"$log" 2>&1 || {
        cat "$log" >&2
        fail "$*"
    }
}

quietly bash -c "cd '$build' && cpack -G DEB -B '$work/package'"
shopt -s nullglob
debs=("$work"/package/vantor-viewer_*_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one vantor-viewer_VERSION_ARCH.deb, found ${#debs[@]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)

echo "Contents of $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|; s|/$||' >"$work/files"
for f in /usr/bin/vantor-viewer /usr/bin/lidar-export /usr/bin/sensor-sim \
    /usr/share/applications/vantor-viewer.desktop \
    /usr/share/icons/hicolor/64x64/apps/vantor-viewer.png \
    /usr/share/man/man1/vantor-viewer.1.gz /usr/share/man/man1/lidar-export.1.gz \
    /usr/share/man/man1/sensor-sim.1.gz \
    /usr/share/vantor-viewer/guide/index.html /usr/share/vantor-viewer/images/Play.png; do
    grep -qxF "$f" "$work/files" || fail "the package lacks $f"
done
if grep -vE '^/usr(/|$)' "$work/files"; then
    fail "files outside /usr"
fi
if [ -n "$python_module" ]; then
    grep -qE "$module_pattern" "$work/files" || fail "the package lacks the Python module"
fi
if grep -vE "$module_pattern" "$work/files" |
    grep -E '\.(a|h|so[.0-9]*|cmake)$|icon-painter|_tests?$|_bench$'; then
    fail "build-only files in the package"
fi

echo "Dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "  $depends"
# Package names without versions: all alternatives, and the first of each.
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/[[:space:]]//g; /^$/d')
firsts=$(tr ',' '\n' <<<"$depends" | sed 's/|.*//; s/(.*)//; s/[[:space:]]//g; /^$/d')
wanted=(libqt5widgets5 libpcl-visualization1.13 libvtk9.1-qt libpcap0.8 libgl1-mesa-dri
    fonts-wqy-microhei)
if [ -n "$python_module" ]; then
    wanted+=(python3 python3-numpy)
fi
for p in "${wanted[@]}"; do
    grep -qxF "$p" <<<"$names" || fail "Depends lacks $p"
done
if grep -E -- '-dev$' <<<"$names"; then
    fail "Depends names development packages"
fi
# Every dependency is a Debian package: the build and the tests ran against them.
for p in $firsts; do
    dpkg-query -W "$p" >/dev/null 2>&1 ||
        fail "Depends names $p, which is not a package of this system"
done
# On a system with nothing installed, apt finds all of it in the archive.
policy=$(apt-cache policy libc6 2>/dev/null || true)
if grep -q 'Candidate: [0-9]' <<<"$policy"; then
    : >"$work/empty-status"
    quietly apt-get -s -o Dir::State::status="$work/empty-status" -o Debug::NoLocking=1 \
        install "$deb"
    grep -q '^Inst vantor-viewer ' "$work/command.log" ||
        fail "apt would not install the package on an empty system"
    echo "  apt resolves all of them on an empty Debian system"
else
    echo "  SKIP: no apt package lists here, so not resolved against the archive"
fi

echo "Installing into a throwaway root"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
# The libraries are those of this system, not of the throwaway root.
quietly dpkg --root="$root" --force-depends --force-not-root -i "$deb"
status=$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status}' vantor-viewer)
[ "$status" = 'install ok installed' ] || fail "dpkg lists the package as \"$status\""

cd "$work"
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$@"
}
# Outputs are taken whole before they are searched: a reader that stops
# early would break the pipe of a writer that is not done.
answer=$(run vantor-viewer --version)
[ "${answer%%$'\n'*}" = "vantor-viewer $version" ] ||
    fail "vantor-viewer --version says \"$answer\", the package is $version"
help=$(run vantor-viewer --help)
grep -q '^Usage: vantor-viewer' <<<"$help" || fail "vantor-viewer --help: $help"
grep -qxF "User guide: $root/usr/share/vantor-viewer/guide/index.html" <<<"$help" ||
    fail "the installed viewer does not find its installed user guide: $help"
help=$(run lidar-export --help)
grep -q -- '--channels' <<<"$help" || fail "lidar-export --help: $help"
help=$(run sensor-sim --help)
grep -q -- '--write-pcap' <<<"$help" || fail "sensor-sim --help: $help"
quietly run sensor-sim --quiet --write-pcap "$work/street.pcap" --frames 3
quietly run lidar-export --quiet --channels 0-3 "$work/street.pcap" "$work/street.csv"
[ "$(head -n 1 "$work/street.csv")" = \
    "FrameNumbers,Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity" ] ||
    fail "the installed lidar-export wrote no CSV header"

if [ -n "$python_module" ]; then
    # Debian's python3 finds the module where the package puts it (here
    # under the throwaway root) and reads the frames lidar-export wrote.
    # VANTOR_PYTHON_ENVIRONMENT: what a sanitizer build's module needs.
    # shellcheck disable=SC2086
    points=$(env ${VANTOR_PYTHON_ENVIRONMENT:-} PYTHONPATH="$root/usr/lib/python3/dist-packages" \
        /usr/bin/python3 -c '
import sys, vantor
capture = vantor.Capture(sys.argv[1])
print(sum(len(f) for f in capture.frames(channels=range(4))))' "$work/street.pcap") ||
        fail "the installed Python module does not read the capture"
    rows=$(($(wc -l <"$work/street.csv") - 1))
    [ "$points" = "$rows" ] ||
        fail "the installed Python module read $points points, lidar-export wrote $rows rows"
fi

for page in vantor-viewer lidar-export sensor-sim; do
    text=$(zcat "$root/usr/share/man/man1/$page.1.gz")
    grep -q '^\.SH OPTIONS' <<<"$text" || fail "the manual page of $page has no options"
done
text=$(zcat "$root/usr/share/man/man1/lidar-export.1.gz")
grep -q '^\.SH "EXIT STATUS"' <<<"$text" || fail "the manual page of lidar-export has no exit status"

desktop=$root/usr/share/applications/vantor-viewer.desktop
grep -qx 'Exec=vantor-viewer' "$desktop" || fail "the desktop entry does not start vantor-viewer"
grep -qx 'Icon=vantor-viewer' "$desktop" || fail "the desktop entry names another icon"
if command -v desktop-file-validate >/dev/null; then
    quietly desktop-file-validate "$desktop"
else
    echo "SKIP: desktop-file-validate is not installed (desktop-file-utils)"
fi
echo "The package is complete: $(basename "$deb")"
