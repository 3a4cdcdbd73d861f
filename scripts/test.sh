#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs every test
# twice: a plain build, and one with AddressSanitizer and UndefinedBehaviorSanitizer
# (with clang, which also builds the fuzz targets and runs each briefly). Last, a
# ThreadSanitizer build of the library with the worker, cycle and data tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
jobs=$(nproc)

mapfile -t sources < <(find src standin tests bench tools trials -name '*.cpp' -o -name '*.h' | sort)
clang-format --dry-run -Werror "${sources[@]}"

for kind in plain sanitize; do
    dir="build-test-$kind"
    options=(-DTAVRIMEX_SANITIZE=OFF)
    compilers=()
    if [ "$kind" = sanitize ]; then
        options=(-DTAVRIMEX_SANITIZE=ON -DTAVRIMEX_FUZZ=ON)
        compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    fi
    echo "=== $kind build ==="
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DTAVRIMEX_WERROR=ON "${compilers[@]}" "${options[@]}" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs")
done

# The tests where threads meet: workers, the cycle, the drain, the tiles, the data layer.
tsan_tests=(TestCThreadGet TestThreadEvt TestSyncCycle TestDrain TestRepWidget TestCParam
            TestBillet TestCompostage TestJournal TestDeltaVidange TestSqlRunner TestDatabase)
echo "=== thread sanitizer build ==="
cmake -S . -B build-test-tsan -DCMAKE_BUILD_TYPE=Debug -DTAVRIMEX_WERROR=ON -DTAVRIMEX_TSAN=ON >/dev/null
cmake --build build-test-tsan -j"$jobs" --target "${tsan_tests[@]}"
pattern="^($(IFS='|'; echo "${tsan_tests[*]}"))\$"
(cd build-test-tsan && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_interceptors_accesses=1:suppressions=$root/tests/tsan.supp" \
    ctest --output-on-failure -j"$jobs" -R "$pattern")
