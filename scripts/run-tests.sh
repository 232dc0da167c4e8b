#!/usr/bin/env bash
# Runs the CTest suite of build/ under Xvfb, inside a private network
# namespace that has only loopback (multicast routed to it), so no test can
# reach another host. Without namespaces, runs the rest and names what it skipped.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=${VANTOR_TEST_JOBS:-2}
# Another build directory (the sanitizer builds) through VANTOR_BUILD_DIR.
build_dir=${VANTOR_BUILD_DIR:-build}
ctest_args=(--test-dir "$build_dir" --output-on-failure -j "$jobs" "$@")
# -noreset: the server must not restart whenever its last client leaves, or a
# test that connects at that moment finds no display.
xvfb=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")

# As root a plain network namespace keeps full privileges inside it (tcpdump,
# nested namespaces for the device tests); otherwise a user namespace maps us to root.
if [ "$(id -u)" -eq 0 ]; then
    unshare=(unshare -n)
else
    unshare=(unshare -rn)
fi

if "${unshare[@]}" true 2>/dev/null; then
    exec "${unshare[@]}" bash -c '
        ip link set lo up && ip link set lo multicast on && ip route add 224.0.0.0/4 dev lo || exit 1
        exec "$@"' bash "${xvfb[@]}" ctest "${ctest_args[@]}"
fi

echo "No private network namespace available here; skipping the tests that need one:"
ctest --test-dir "$build_dir" -N -L netns | grep -E '^ *Test +#' | sed 's/^ */  /'
exec "${xvfb[@]}" ctest -LE netns "${ctest_args[@]}"
