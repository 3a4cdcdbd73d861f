#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs every test
# twice: a plain build, and one with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
jobs=$(nproc)

mapfile -t sources < <(find src standin tests bench tools trials -name '*.cpp' -o -name '*.h' | sort)
clang-format --dry-run -Werror "${sources[@]}"

for kind in plain sanitize; do
    dir="build-test-$kind"
    sanitize=OFF
    [ "$kind" = sanitize ] && sanitize=ON
    echo "=== $kind build ==="
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DTAVRIMEX_WERROR=ON -DTAVRIMEX_SANITIZE=$sanitize >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs")
done
