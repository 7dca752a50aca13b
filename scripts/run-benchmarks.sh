#!/usr/bin/env bash
# Runs every benchmark of a build folder (build it without sanitizers:
# make bench) and prints their figures.
set -euo pipefail
build=${1:-build-release}
export QUORVEL_BUILD_DIR=$(cd "$build" && pwd)
for bench in "$build"/quorvel_bench_*; do
    echo "== $(basename "$bench")"
    "$bench"
    echo
done
