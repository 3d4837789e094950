#!/usr/bin/env bash
# Installs the dependencies, builds every target and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${MORVANE3_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE3_BUILD_TESTS=ON -DMORVANE3_BUILD_BENCH=ON -DMORVANE3_BUILD_PLUGIN=ON
cmake --build "$build" -j"$(nproc)"
# GUI tests need a display; xvfb-run provides one when none is set.
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  runner=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi
"${runner[@]}" ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$(nproc)"
