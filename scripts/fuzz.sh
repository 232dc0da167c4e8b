#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (with ASan and UBSan) in
# build-fuzz/, away from the g++ build, and runs each for SECONDS.
#   scripts/fuzz.sh SECONDS [TARGET...]     e.g. scripts/fuzz.sh 600 capture_index
# Each target starts from its seeds in fuzz/corpus/ plus what earlier runs
# found (build-fuzz/corpus/); an input that breaks a property or a sanitizer
# is kept as build-fuzz/findings/TARGET-crash-*, and the script fails.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(data_packet sensor_demux device_info capture_index config_fields channel_list advanced_packet)
fi

if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang-16 CXX=clang++-16 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DVANTOR_FUZZ=ON -DSANITIZE=address,undefined \
        -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_BENCHMARKS=OFF || exit 1
fi
cmake --build build-fuzz -j2 --target vantor_fuzz_targets || exit 1

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mkdir -p build-fuzz/findings build-fuzz/logs
failed=()
for t in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$t"
    log=build-fuzz/logs/$t.log
    if build-fuzz/bin/fuzz_$t -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t-" \
        "build-fuzz/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
        echo "fuzz $t: ${runs:-?} runs in ${seconds} s, ${coverage:-no coverage line}, no finding"
    else
        echo "fuzz $t: FINDING (log: $log)"
        grep -E 'ERROR|property broken|runtime error|Test unit written' "$log" | head -5
        failed+=("$t")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: findings in ${failed[*]}"
    exit 1
fi
