#!/usr/bin/env bash
# Configures and builds one build tree.  Usage: scripts/build.sh DIR [extra cmake options...]
set -euo pipefail
dir=${1:-build}
shift || true
cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j "$(nproc)"
