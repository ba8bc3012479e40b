#!/usr/bin/env bash
# Runs rejoin_bench once and prints each median beside its baseline's from the
# same run: the rejoin's catch-up against a newcomer's on the same full board,
# the save of a turn against a plain write of the same bytes.
# usage: bench/rejoin/ratios.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
QT_QPA_PLATFORM=offscreen ZORBLE_NO_INSTANCE_GUARD=1 \
    "$build/bench/rejoin/rejoin_bench" --benchmark_format=json >"$out"
python3 - "$out" <<'PY'
import json, sys
runs = {b["run_name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
def median(name):
    b = runs[name]
    return b["real_time"], b["time_unit"]
for what, base, target in (("BM_RejoinCatchUpToPaintedBoard", "BM_NewcomerCatchUpBaseline", "50 ms"),
                           ("BM_SaveATurn", "BM_PlainWriteBaseline", "2 ms")):
    t, unit = median(what)
    b, bunit = median(base)
    print(f"{what}: median {t:.3f} {unit} (target under {target}); "
          f"{base}: {b:.3f} {bunit}; ratio {t / b:.2f}")
PY
