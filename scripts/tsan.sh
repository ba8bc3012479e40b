#!/usr/bin/env bash
# Builds the computer players, the client core and their tests with
# ThreadSanitizer (tree build-tsan/) and runs the tests that think on worker
# threads: the AI's thinker and bots, the client core, the window's computer
# players and hints, and the end-to-end games with computer players.
# Exits non-zero when a test fails or ThreadSanitizer reports anything.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tsan="-fsanitize=thread -O1 -g1"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORBLE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$tsan" -DCMAKE_C_FLAGS="$tsan" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build build-tsan --target ai_bot_tests clientcore_tests client_tests e2e_tests

export QT_QPA_PLATFORM=offscreen ZORBLE_NO_INSTANCE_GUARD=1
# The end-to-end tests start the program itself: every process writes its
# reports to a file of its own, and any such file fails the run. Debian's Qt is
# not built with ThreadSanitizer: its pooled threads (image conversion, the
# sound output) hand work over with locks the run cannot see, so the C library
# calls made from uninstrumented libraries are not checked.
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp log_path=$reports/tsan ignore_noninstrumented_modules=1 second_deadlock_stack=1"
status=0
build-tsan/tests/ai/ai_bot_tests || status=1
build-tsan/tests/clientcore/clientcore_tests || status=1
build-tsan/tests/client/client_tests --gtest_filter='TchatComputer.*' || status=1
build-tsan/tests/e2e/e2e_tests --gtest_filter='EndToEndBots.*:EndToEndRejoin*' || status=1
if compgen -G "$reports/tsan.*" >/dev/null; then
  cat "$reports"/tsan.* >&2
  echo "ThreadSanitizer reported $(cat "$reports"/tsan.* | grep -c '^WARNING') problem(s)" >&2
  status=1
fi
exit $status
