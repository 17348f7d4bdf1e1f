#!/usr/bin/env bash
# The matcher table's two ratios, measured a steadier way: every engine alone on every page, in a
# process of its own (matcher_bench --engine), the fastest of RUNS runs (default 3) of PASSES
# passes (default 30), the engines in turn. Prints TMatcher's speed as a ratio to PCRE2-JIT's and
# as a share of the limit's, page shapes as rows, like matcher_bench --table; fails when PCRE2-JIT
# finds other matches than TMatcher.
#
#   bench/matcher_engines.sh [build dir [shape/pattern filter]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
only=${2:-}
runs=${RUNS:-3}
passes=${PASSES:-30}
cmake --build "$build" -j 2 --target matcher_bench >/dev/null
bench=$build/bench/matcher_bench

shapes=(rows short sparse cyrillic minified)
patterns=(5Ocean-A 5Ocean-B ARCK KDR-number KDR-call RadioWave RCPW RRC-link RRC-piece)
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for shape in "${shapes[@]}"; do
  for pattern in "${patterns[@]}"; do
    cell=$shape/$pattern
    [[ $cell == *"$only"* ]] || continue
    for ((r = 0; r < runs; r++)); do
      for engine in matcher pcre-jit limit; do
        # "<cell> <engine>: <n> matches, <ms> ms"
        "$bench" --engine "$cell" "$engine" "$passes" >>"$results"
      done
    done
  done
done
python3 - "$results" <<'PY'
import collections, sys
best = collections.defaultdict(lambda: float("inf"))
matches = collections.defaultdict(set)
for line in open(sys.argv[1]):
    cell, engine, n, _, ms, _ = line.replace(":", "").replace(",", "").split()
    best[cell, engine] = min(best[cell, engine], float(ms))
    matches[cell, engine].add(int(n))
shapes = ["rows", "short", "sparse", "cyrillic", "minified"]
patterns = ["5Ocean-A", "5Ocean-B", "ARCK", "KDR-number", "KDR-call", "RadioWave", "RCPW",
            "RRC-link", "RRC-piece"]
missed = disagreed = 0
for title, other, target in (("TMatcher speed / PCRE2-JIT speed (target >= 1.20)", "pcre-jit", 1.2),
                             ("TMatcher as a share of the two-literal limit (target >= 0.70)",
                              "limit", 0.7)):
    print(f"\n{title} (the fastest of each engine's runs, each alone)")
    print("%-9s" % "shape" + "".join(" %10s" % p for p in patterns))
    for s in shapes:
        row = "%-9s" % s
        for p in patterns:
            cell = f"{s}/{p}"
            if (cell, "matcher") not in best:
                row += " %10s" % "-"
                continue
            value = best[cell, other] / best[cell, "matcher"]
            agree = matches[cell, "pcre-jit"] == matches[cell, "matcher"]
            disagreed += not agree
            missed += value < target
            row += " %9.2f%s" % (value, "!" if not agree else " " if value >= target else "*")
        print(row)
print(f"\n* below target: {missed};  ! PCRE2-JIT found other matches: {disagreed // 2}")
sys.exit(1 if disagreed else 0)
PY
