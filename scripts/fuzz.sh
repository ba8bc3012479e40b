#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (tree build-fuzz/) and runs each one
# for the given number of seconds on a scratch copy of its seed corpus in
# fuzz/corpus/<target>/, so the committed seeds stay as they are.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
# Exits 1 when any target finds a crash, leak or timeout; its reproducer is
# kept in fuzz-out/<target>/.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
root=$PWD

CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORBLE_FUZZ=ON -DZORBLE_TESTS=OFF -DZORBLE_BENCH=OFF >/dev/null

targets=()
for dir in "$root"/fuzz/corpus/*/; do
  targets+=("fuzz_$(basename "$dir")")
done
cmake --build "$root/build-fuzz" --target "${targets[@]}" -j "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Each target runs on one core; as many run at once as there are cores.
run_target() {
  local target=$1 name=${1#fuzz_}
  mkdir -p "$scratch/$name" "$root/fuzz-out/$name"
  cp -r "$root/fuzz/corpus/$name/." "$scratch/$name/"
  if LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0" \
      "$root/build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=70000 \
      -timeout=10 -print_final_stats=1 -artifact_prefix="$root/fuzz-out/$name/" \
      "$scratch/$name" 2>"$scratch/$name.log"; then
    touch "$scratch/$name.passed"
  fi
}

running=0
for target in "${targets[@]}"; do
  if ((running >= $(nproc))); then
    wait -n || true
    running=$((running - 1))
  fi
  echo "== $target: ${seconds}s"
  run_target "$target" &
  running=$((running + 1))
done
wait

failed=()
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  if [ -f "$scratch/$name.passed" ]; then
    echo "== $target"
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|Done)' \
      "$scratch/$name.log" || true
  else
    echo "== $target failed:"
    tail -n 60 "$scratch/$name.log"
    failed+=("$target")
  fi
done

if ((${#failed[@]})); then
  echo "fuzzing found a problem in: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing found no crash"
