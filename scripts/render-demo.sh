#!/usr/bin/env bash
# Installs the dependencies, builds the plug-in and renders the demo through it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${MORVANE3_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE3_BUILD_TESTS=OFF -DMORVANE3_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
if [ -x "$build/tools/render/morvane3-render" ]; then
  "$build/tools/render/morvane3-render" --demo out/demo.wav --plot out/demo.png
  echo "Rendered out/demo.wav and out/demo.png"
else
  echo "Built. Plug-in binaries are in $build/plugin/Morvane3_artefacts/"
fi
