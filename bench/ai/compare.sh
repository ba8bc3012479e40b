#!/usr/bin/env bash
# Runs the move generator's benchmarks of this tree and of an earlier commit
# one after the other, on the same mid-game boards, and the graph's build
# memory of both.
#
# usage: bench/ai/compare.sh [BUILD_DIR] [BASE_COMMIT] [BASE_DIR]
#
# BUILD_DIR (build) holds this tree's build; BASE_COMMIT (main) is exported
# into BASE_DIR/src (BASE_DIR is build-base in this tree) and its bench_ai,
# graph_peak and stall_bench built in BASE_DIR/src/build. Both trees play the boards' games with this tree's
# tests/ai/positions.cpp, which chooses moves whatever order a generator lists
# them in, so both measure the same boards (the moves per board agree). The
# earlier bench_ai gets bench/ai/baseline.patch: it times each board by the
# thread's processor time too, and reports the cost per listed move.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-build}" && pwd)
base_commit=${2:-main}
base=${3:-$here/build-base}

mkdir -p "$base"
if [ ! -f "$base/commit" ] || [ "$(cat "$base/commit")" != "$(git -C "$here" rev-parse "$base_commit")" ]; then
    rm -rf "$base/src"
    mkdir -p "$base/src"
    git -C "$here" archive "$base_commit" | tar -x -C "$base/src"
    patch -d "$base/src" -p1 <"$here/bench/ai/baseline.patch" >/dev/null
    git -C "$here" rev-parse "$base_commit" >"$base/commit"
fi
cp "$here/tests/ai/positions.cpp" "$base/src/tests/ai/positions.cpp"
cp "$here/bench/ai/graph_peak.cpp" "$here/bench/ai/stall_bench.cpp" "$base/src/bench/ai/"
grep -q stall_bench "$base/src/bench/ai/CMakeLists.txt" || cat >>"$base/src/bench/ai/CMakeLists.txt" <<'EOF'
add_executable(graph_peak graph_peak.cpp)
target_link_libraries(graph_peak PRIVATE zorble_ai)
add_executable(stall_bench stall_bench.cpp)
target_include_directories(stall_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(stall_bench PRIVATE zorble_client zorble_host)
EOF
# The earlier tree builds in src/build, as a worktree's build folder, with the
# options of scripts/build.sh, so that the compiler cache serves what it shares
# with other builds of that commit.
cmake -S "$base/src" -B "$base/src/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZORBLE_WERROR=ON >/dev/null
nice cmake --build "$base/src/build" --target bench_ai graph_peak stall_bench >/dev/null
nice cmake --build "$build" --target bench_ai graph_peak stall_bench >/dev/null

echo "== before: $base_commit ($(cat "$base/commit" | cut -c1-7))"
nice "$base/src/build/bench/ai/bench_ai" \
    --benchmark_filter='BM_Generate/Dawg' --benchmark_counters_tabular=true
"$base/src/build/bench/ai/graph_peak"
"$base/src/build/bench/ai/graph_peak" gaddag
"$base/src/build/bench/ai/stall_bench" 3 2>/dev/null
echo "== after: this tree"
nice "$build/bench/ai/bench_ai" --benchmark_filter='BM_(Generate|JudgeEveryMove|PeakMemory)' \
    --benchmark_counters_tabular=true
"$build/bench/ai/graph_peak"
"$build/bench/ai/graph_peak" gaddag
"$build/bench/ai/stall_bench" 3 2>/dev/null
