#!/usr/bin/env bash
# The test suite under the sanitizers, in build directories of their own:
#   build-asan/  ASan + UBSan, every test; LeakSanitizer on for the suites
#                without a display, off for the GUI suites, whose X, Mesa
#                and font libraries keep their memory to the end
#   build-tsan/  TSan, the thread tests that load no GPU stack: receivers,
#                capture player, pause gate, device status
# Any report fails the test it happens in; scripts/ubsan.supp, lsan.supp and
# tsan.supp may only forgive third-party code, each entry with its reason.
#   scripts/sanitizer-tests.sh [asan|tsan]...   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."

passes=("$@")
if [ ${#passes[@]} -eq 0 ]; then
    passes=(asan tsan)
fi

configure() { # DIR SANITIZERS
    cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
        -DSANITIZE="$2" -DVANTOR_BUILD_BENCHMARKS=OFF >/dev/null
}

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$PWD/scripts/ubsan.supp
common_asan=abort_on_error=0
for pass in "${passes[@]}"; do
    case "$pass" in
    asan)
        configure build-asan address,undefined
        cmake --build build-asan -j2
        echo "== ASan + UBSan + LeakSanitizer: the suites without a display"
        ASAN_OPTIONS=$common_asan:detect_leaks=1 \
            LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
            VANTOR_BUILD_DIR=build-asan scripts/run-tests.sh -LE gui
        echo "== ASan + UBSan: the GUI suites"
        ASAN_OPTIONS=$common_asan:detect_leaks=0 VANTOR_BUILD_DIR=build-asan scripts/run-tests.sh -L gui
        ;;
    tsan)
        configure build-tsan thread
        thread_suites=(lidar_tests lidar_multicast_tests capture_tests device_tests device_multicast_tests)
        cmake --build build-tsan -j2 --target "${thread_suites[@]}"
        echo "== TSan: ${thread_suites[*]}"
        label_regex=$(IFS='|'; echo "^(${thread_suites[*]})\$")
        # Memory that Qt (not built with TSan) allocates in one thread and frees
        # in another, a queued signal's event, looks unordered: its mutex is
        # invisible. Allocations and copies made by Qt's own code are not
        # checked (ignore_noninstrumented_modules); every access our code makes is.
        TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$PWD/scripts/tsan.supp" \
            VANTOR_BUILD_DIR=build-tsan scripts/run-tests.sh -L "$label_regex"
        ;;
    *)
        echo "usage: $0 [asan|tsan]..." >&2
        exit 2
        ;;
    esac
done
