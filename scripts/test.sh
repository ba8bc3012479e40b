#!/usr/bin/env bash
# Installs what is needed, builds Zorble twice (plain, then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite in both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
export ZORBLE_NO_INSTANCE_GUARD=1

# The plain tree is a Release tree: the tests run on the programs as they ship,
# and the Debian package is made from the same tree rather than compiled again.
scripts/build.sh build -DCMAKE_BUILD_TYPE=Release -DZORBLE_WERROR=ON
ctest --test-dir build --output-on-failure -j 2
# The Debian package: validated, lintian-clean, complete, and runnable from a
# scratch root as root and as another user.
scripts/package.sh build

scripts/build.sh build-asan -DZORBLE_SANITIZE=ON -DZORBLE_BENCH=OFF -DZORBLE_WERROR=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j 2

scripts/fuzz.sh 30
