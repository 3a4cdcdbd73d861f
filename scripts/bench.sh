#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in release mode and runs them.
# Figures are written under bench/results/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench -j"$(nproc)"
mkdir -p bench/results
shopt -s nullglob
ran=0
for b in build-bench/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    QT_QPA_PLATFORM=offscreen "$b" bench/results
    ran=1
done
[ "$ran" = 1 ] || echo "no benchmark built"

# The interleaving trials at length: 5,000 trials over one lane per core, then all of
# them again while every core spins (each lane held to one core, its trials in the
# reverse order): how many replayed step for step is reported.
trials=${INTERLEAVE_TRIALS:-5000}
QT_QPA_PLATFORM=offscreen build-bench/trials/interleave --trials "$trials" --lanes "$(nproc)" --seed 1 --twice \
    --json bench/results/interleave.json || echo "interleaving trials: an invariant failed or a replay differed (see above)"

# The fuzz targets at length, built with clang and the sanitizers; one minute each.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTAVRIMEX_SANITIZE=ON -DTAVRIMEX_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
targets=(login eventlist ticketlist eventfile csv param language)
cmake --build build-fuzz -j"$(nproc)" --target fuzzseeds "${targets[@]/#/fuzz_}"
seconds=${FUZZ_SECONDS:-60}
json="["
printf '| %-12s | %8s | %12s | %8s |\n' target seconds executions findings
for target in "${targets[@]}"; do
    log=$(mktemp)
    status=0
    trials/fuzz/run-fuzz.sh build-fuzz/trials/fuzzseeds "$root/build-fuzz/trials/fuzz_$target" "$target" \
        "$seconds" >"$log" 2>&1 || status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    findings=$([ "$status" = 0 ] && echo 0 || echo 1)
    printf '| %-12s | %8s | %12s | %8s |\n' "$target" "$seconds" "$runs" "$findings"
    json+="{\"target\":\"$target\",\"seconds\":$seconds,\"executions\":${runs:-0},\"findings\":$findings},"
    rm -f "$log"
done
echo "${json%,}]" >bench/results/fuzz.json
