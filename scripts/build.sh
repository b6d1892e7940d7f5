#!/usr/bin/env bash
# Configures (once) and builds into build/ with Ninja, in parallel and incrementally.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
