#!/usr/bin/env bash
# Sanitizer runs for CI, after the plain build and tests:
#  1. the test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#     (build-asan); leaks count as failures;
#  2. the threading tests (ctest label "threads") under ThreadSanitizer
#     (build-tsan), building only the programs they live in.
# Only test programs are built: no plug-in formats, no benchmarks, and not the
# tests of the built plug-in binaries (labels "hosts" and "tools"). -O1 keeps
# the builds and the instrumented runs short. The soak test runs
# MORVANE3_SOAK_SECONDS of audio (60 by default here).
#
# Usage: scripts/ci-sanitizers.sh [asan|tsan|all]
set -euo pipefail
cd "$(dirname "$0")/.."

which=${1:-all}
jobs=${MORVANE3_JOBS:-$(nproc)}
asan_dir=${MORVANE3_ASAN_DIR:-build-asan}
tsan_dir=${MORVANE3_TSAN_DIR:-build-tsan}
export MORVANE3_SOAK_SECONDS=${MORVANE3_SOAK_SECONDS:-60}
suppressions=$PWD/scripts/sanitizer-suppressions

# GUI tests need a display; xvfb-run provides one when none is set.
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  runner=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

configure() { # <dir> <sanitizers>
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g -DNDEBUG" \
    -DMORVANE3_SANITIZE="$2" -DMORVANE3_BUILD_BENCH=OFF >/dev/null
}

# The test programs of this tree that the build knows about.
test_programs() { # <dir> <names...>
  local dir=$1
  shift
  for name in "$@"; do
    if ninja -C "$dir" -t query "$name" >/dev/null 2>&1; then
      echo "$name"
    fi
  done
}

# The build runs the asset generators, which are instrumented too; their own
# leaks (fontconfig, cairo caches) are not what this run is about.
build() { # <dir> <targets...>
  local dir=$1
  shift
  ASAN_OPTIONS=detect_leaks=0 TSAN_OPTIONS=report_bugs=0 cmake --build "$dir" -j"$jobs" --target "$@"
}

if [ "$which" = asan ] || [ "$which" = all ]; then
  start=$SECONDS
  configure "$asan_dir" address,undefined
  mapfile -t programs < <(test_programs "$asan_dir" dsp_tests resources_tests catalogue_tests processor_tests \
    editor_tests hardening_tests hardening_threads_tests)
  build "$asan_dir" "${programs[@]}"
  echo "asan: built ${programs[*]} in $((SECONDS - start)) s"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  LSAN_OPTIONS=suppressions=$suppressions/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "${runner[@]}" ctest --test-dir "$asan_dir" --output-on-failure -j"$jobs" -LE 'hosts|tools' -E '_NOT_BUILT$'
  echo "asan: done in $((SECONDS - start)) s"
fi

if [ "$which" = tsan ] || [ "$which" = all ]; then
  start=$SECONDS
  configure "$tsan_dir" thread
  build "$tsan_dir" hardening_threads_tests
  echo "tsan: built in $((SECONDS - start)) s"
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$suppressions/tsan.supp:print_suppressions=0 \
    "${runner[@]}" ctest --test-dir "$tsan_dir" --output-on-failure -j"$jobs" -L threads -E '_NOT_BUILT$'
  echo "tsan: done in $((SECONDS - start)) s"
fi
