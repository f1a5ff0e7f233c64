#!/usr/bin/env bash
# Builds Zelto in Release and runs every benchmark (median of 5 repetitions),
# then, unless FILTER leaves it out, times the command line's batch export
# (scripts/bench_export.sh).
#   ./scripts/bench.sh [FILTER]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

zelto_install_dependencies
build="$ZELTO_RELEASE_DIR"
zelto_build_release -DZELTO_BENCHMARKS=ON

export SDL_VIDEODRIVER=offscreen
filter="${1:-.}"
for bench in "$build"/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  (cd "$build/bench" && "$bench" --benchmark_filter="$filter" --benchmark_repetitions=5 \
     --benchmark_report_aggregates_only=true --benchmark_display_aggregates_only=true)
done
if [[ "export" =~ $filter ]]; then
  "$ZELTO_ROOT/scripts/bench_export.sh"
fi
