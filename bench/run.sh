#!/bin/sh
# The end-to-end benchmark: builds MORVIT, the strtod floor and the stage timer in
# Release (in build-bench), generates the command files (fixed seed), and for each size
# prints the stage times of a run and MORVIT's wall time against the floor's.
#
#   bench/run.sh [RUNS]      RUNS alternating runs of each program per size (default 7)
set -eu

cd "$(dirname "$0")/.."
BUILD=${BENCH_BUILD:-build-bench}
RUNS=${1:-7}

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DMORVIT_WERROR=ON -DMORVIT_BENCH=ON -DMORVIT_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target morvit strtod_floor generate_commands morvit_phases >/dev/null

mkdir -p "$BUILD/bench-data" "$BUILD/bench-run"
for size in "100000 10" "10000 10" "100000 6"; do
  set -- $size
  file="$BUILD/bench-data/c$1x$2.cmd"
  "$BUILD/generate_commands" "$1" "$2" "$file"
  echo "$1 cases x $2 factors ($(wc -c < "$file") bytes):"
  (cd "$BUILD/bench-run" && "../morvit_phases" "../bench-data/c$1x$2.cmd" "$RUNS")
  python3 bench/compare.py "$BUILD/morvit" "$BUILD/strtod_floor" "$file" "$BUILD/bench-run" "$RUNS"
done
