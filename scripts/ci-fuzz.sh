#!/usr/bin/env bash
# Fuzzing for CI: builds the libFuzzer targets with clang in a build folder of
# their own and runs each for a bounded time (MORVANE3_FUZZ_SECONDS, 60 by
# default) from its seed corpus in fuzz/corpus/<target>. New inputs go to a
# scratch corpus in the build folder, never into the repository. A crash, leak,
# timeout or broken promise fails the run; the input is kept in
# <build>/fuzz-artifacts and belongs in a regression test.
#
# Usage: scripts/ci-fuzz.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${MORVANE3_FUZZ_DIR:-build-fuzz}
seconds=${MORVANE3_FUZZ_SECONDS:-60}
jobs=${MORVANE3_JOBS:-$(nproc)}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(StateChunkFuzzer ImpulseResponseDecoderFuzzer GraphDriverFuzzer PresetFileFuzzer)
fi

start=$SECONDS
CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE3_BUILD_FUZZERS=ON -DMORVANE3_BUILD_TESTS=OFF -DMORVANE3_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"
echo "fuzz: built in $((SECONDS - start)) s"

# The preset target opens an editor; give it a display when there is none.
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  runner=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

mkdir -p "$build/fuzz-artifacts"
status=0
for target in "${targets[@]}"; do
  scratch="$build/fuzz-corpus/$target"
  mkdir -p "$scratch"
  log="$build/fuzz-artifacts/$target.log"
  if "${runner[@]}" "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" \
      "$scratch" "fuzz/corpus/$target" >"$log" 2>&1; then
    result=clean
  else
    result=FAILED
    status=1
    tail -n 60 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "fuzz: $target: ${runs:-?} executions in ${seconds} s, $result"
done
exit $status
