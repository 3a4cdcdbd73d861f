#!/usr/bin/env bash
# Installs what is missing, builds the application and runs it with the given
# arguments (for example: scripts/run.sh log). Without a display it runs under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target tavrimex
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a build-release/src/tavrimex "$@"
fi
exec build-release/src/tavrimex "$@"
