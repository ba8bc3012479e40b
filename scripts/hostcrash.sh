#!/usr/bin/env bash
# The hosting program killed at random moments, 50 times in a row (CI runs 5).
# Usage: scripts/hostcrash.sh [BUILD_DIR] [RUNS]
set -euo pipefail
dir=${1:-build}
export ZORBLE_CRASH_RUNS=${2:-50}
exec "$dir/tests/host/hostcrash_tests" --gtest_brief=1
