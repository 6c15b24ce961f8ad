#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds
# (default 600), seeded with the command files of the tests and the examples.
#   tests/fuzz/run_fuzzers.sh [SECONDS] [TARGET...]
# Findings land in build-fuzz/findings/; each one becomes a regression test.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(free_form_reader column_fields whole_run)
build=build-fuzz
jobs=${FUZZ_JOBS:-1}
parallel=()
# Several jobs run as worker processes that log to fuzz-N.log in the build folder.
[ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")

CXX=${CXX:-clang++-14} cmake -S . -B $build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVIT_FUZZ=ON >/dev/null
cmake --build $build -j2 --target "${targets[@]/%/_fuzz}"

mkdir -p $build/findings
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  case $target in
    whole_run)
      # Each stored command file in each of the six worlds (the first byte chooses one).
      for f in $(find tests/data/conformance/cases examples -name '*.cmd' -size -64k); do
        for world in 0 1 2 3 4 5; do
          { printf "\\x0$world"; cat "$f"; } > "$corpus/$world-$(basename "$f")"
        done
      done ;;
    free_form_reader)
      # The data lines of the stored command files, behind a block size and a target count.
      for f in $(find tests/data/conformance/cases examples -name '*.cmd' -size -16k); do
        { printf '\x07\x09'; cat "$f"; } > "$corpus/$(basename "$f")"
      done ;;
    column_fields)
      for text in ' 0.05' '1 5' '2.5E -1' '2.5-1' '0.05,7' '   3 2' '1.5D+2' '-.5' '12.0'; do
        printf 'I%s' "$text" > "$corpus/$(printf '%s' "$text" | md5sum | cut -c1-12)"
      done ;;
  esac
  echo "== $target: $seconds s"
  (cd $build && "./${target}_fuzz" "corpus/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
    "${parallel[@]}" -artifact_prefix="findings/${target}-" -print_final_stats=1) \
    2>&1 | tee "$build/${target}.log" | grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY|Done)' || true
done
ls -l $build/findings
