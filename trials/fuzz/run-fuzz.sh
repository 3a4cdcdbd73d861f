#!/usr/bin/env bash
# Runs one fuzz target for a bounded time on the seeds the stand-in's documents make:
# run-fuzz.sh <fuzzseeds> <target binary> <corpus name> <seconds>
set -euo pipefail
seeds=$1 target=$2 name=$3 seconds=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$seeds" "$work/seeds"
mkdir -p "$work/corpus"
cd "$work"
"$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
    "$work/corpus" "$work/seeds/$name"
