#!/usr/bin/env bash
# Runs every fuzz target for a long time (10 minutes each unless HOLVEX_FUZZ_MINUTES says otherwise), as many
# at a time as there are cores, keeping what each finds in fuzz/corpus/<target>/ so that the next run starts
# from there. Not part of ./test. Prints each target's runs, coverage and corpus size at the end.
#   fuzz/run_long.sh [TARGET ...]     (default: every target; HOLVEX_FUZZ_BUILD_DIR: another build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
holvex_ensure_packages
minutes=${HOLVEX_FUZZ_MINUTES:-10}
seconds=$((minutes * 60))
[ "$seconds" -gt 0 ] || { echo "HOLVEX_FUZZ_MINUTES must be at least 1" >&2; exit 2; }
jobs=$(nproc)
build=${HOLVEX_FUZZ_BUILD_DIR:-build-fuzz-long}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_CXX_COMPILER=clang++ -DHOLVEX_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target fuzzers
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
    for fuzzer in "$build"/fuzz/*_fuzzer; do
        [ -x "$fuzzer" ] && targets+=("$(basename "$fuzzer")")
    done
fi
run_one() {
    local name="$1" corpus="fuzz/corpus/$1" seeds=()
    mkdir -p "$corpus"
    [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
    ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
        "$corpus" "${seeds[@]}" >"$build/$name.log" 2>&1
}
failed=()
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
    pids=()
    batch=("${targets[@]:i:jobs}")
    for name in "${batch[@]}"; do
        run_one "$name" &
        pids+=($!)
    done
    for k in "${!pids[@]}"; do
        name="${batch[$k]}"
        if ! wait "${pids[$k]}"; then
            failed+=("$name")
        fi
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$name.log" | grep -o '[0-9]*$' || echo "?")
        cov=$(grep -o 'cov: [0-9]*' "$build/$name.log" | tail -n 1 | grep -o '[0-9]*' || echo "?")
        echo "$name: $runs runs, coverage $cov, corpus $(find "fuzz/corpus/$name" -type f | wc -l) inputs"
    done
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "targets that found a failure: ${failed[*]} (output in $build/<name>.log)" >&2
    exit 1
fi
