#!/usr/bin/env bash
# Installs what is needed, builds Zorble twice (plain, then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite in both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
export ZORBLE_NO_INSTANCE_GUARD=1

scripts/build.sh build -DZORBLE_WERROR=ON
ctest --test-dir build --output-on-failure -j 2
# The Debian package, from a Release tree of its own with only the shipped
# programs: validated, lintian-clean, complete, and runnable from a scratch
# root as root and as another user.
scripts/package.sh

scripts/build.sh build-asan -DZORBLE_SANITIZE=ON -DZORBLE_BENCH=OFF -DZORBLE_WERROR=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j 2

scripts/fuzz.sh 60
