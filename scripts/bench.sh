#!/usr/bin/env bash
# Runs every benchmark: the microbenchmarks, the trace against its latency floor, and the frame rate.
# Usage: scripts/bench.sh BENCH_BUILD_DIR
set -euo pipefail
build=$1
results=$(mktemp)
trap 'rm -f "$results"' EXIT

"$build/bench/field_bench" --benchmark_repetitions=5 --benchmark_display_aggregates_only=true \
  --benchmark_time_unit=ns --benchmark_out="$results" --benchmark_out_format=console

# min, median and max of each benchmark's five runs
echo
awk '$1 ~ /^BM_/ && $1 !~ /_(mean|median|stddev|cv)$/ { print $1, $2 }' "$results" | sort -k1,1 -k2g |
  awk '{ v[$1] = v[$1] " " $2 }
    END { for (name in v) { n = split(v[name], t, " "); printf "%-26s min %9.1f  median %9.1f  max %9.1f ns\n", name, t[1], t[int((n + 1) / 2)], t[n] } }' |
  sort
# The trace's loop-carried critical path, per step: dx (add), dx*dx (mul),
# r2 (add), r2*r2 (mul), the source's division, dx*k (mul), the sum over the
# sources, fx*fx (mul), + fy*fy (add), the square root, 1/length (division),
# fx*g (mul), x + (add). The three divisions are ready together and share one
# divider, so the sum ends either three additions after the first term or
# one addition after the last division, two divider intervals later.
awk '$1 ~ /_median$/ { t[$1] = $2 / 1000 }
  END {
    add = t["BM_latency_addsd_median"]; mul = t["BM_latency_mulsd_mulsd_median"] / 2
    div = t["BM_latency_divsd_mulsd_median"] - mul; root = t["BM_latency_sqrtsd_mulsd_median"] - mul
    interval = t["BM_throughput_divsd_median"]
    sum = 3 * add > 2 * interval + add ? 3 * add : 2 * interval + add
    floor = 200 * (4 * add + 5 * mul + 2 * div + root + sum)
    trace = t["BM_trace_field_line_median"] * 1000
    printf "\nlatencies (ns): addsd %.2f, mulsd %.2f, divsd %.2f, sqrtsd %.2f; divider interval %.2f\n",
           add, mul, div, root, interval
    printf "trace latency floor: 200 x (4 add + 5 mul + 2 div + sqrt + sum %.2f) = %.0f ns\n", sum, floor
    printf "one trace (median): %.0f ns, %.3f x the floor\n\n", trace, trace / floor
  }' "$results"

"$(dirname "$0")/frame_rate.sh" "$build"
