#!/usr/bin/env bash
# The demo: installs what is missing, builds, starts the local stand-in of the web
# service with its demo organiser on the loopback, and runs the application pointed at
# it, a video of sample tickets in place of the camera. The camera starts off (the
# Webcam button of the scan page turns it on), so that the video punches nothing by
# itself. The demo keeps an application folder of its own under build-release/demo/home,
# made anew at each run since the stand-in starts afresh too. Arguments go to the
# application (for example: scripts/run.sh log). Without a display it runs under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
build=build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tavrimex tavrimex-standin tavrimex-videocam ticketvideo

demo="$root/$build/demo"
home="$demo/home"
folder="$home/Library/Application Support/Tavrimex"
rm -rf "$home"
mkdir -p "$folder"
"$build/tools/ticketvideo" "$demo/tickets.avi"

# Port 0: the system picks a free port, which the stand-in prints once it listens.
"$build/standin/tavrimex-standin" --port 0 >"$demo/standin.out" 2>&1 &
standin=$!
trap 'kill "$standin" 2>/dev/null || true' EXIT
url=""
for _ in $(seq 100); do
    url=$(sed -n 's/^Stand-in service at //p' "$demo/standin.out")
    [ -n "$url" ] && break
    kill -0 "$standin" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$url" ]; then
    echo "The stand-in of the service did not start:" >&2
    cat "$demo/standin.out" >&2
    exit 1
fi

# A plain settings file (flag 0): the program's own defaults with the stand-in's address.
{
    printf 0
    "$build/src/tavrimex" --default | sed "s|^URL=.*|URL=$url|"
} >"$folder/param.ini"

echo "Demo at $url: login demo, password demo, agent code 1."
run=("$build/tools/tavrimex-videocam" "$demo/tickets.avi" "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    run=(xvfb-run -a "${run[@]}")
fi
HOME="$home" "${run[@]}"
