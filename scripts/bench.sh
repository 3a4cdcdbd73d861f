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
