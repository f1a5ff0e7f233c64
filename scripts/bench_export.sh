#!/usr/bin/env bash
# Times the command line's batch export: COUNT copies (default 100) of the
# demo report exported as svg,png,chart,csv into a scratch directory with the
# Release build, as a user would run it; prints the wall-clock time, the CPU
# time of all processes and what was written. Also run by ./scripts/bench.sh.
#   ./scripts/bench_export.sh [COUNT] [EXTRA OPTION]...
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

count="${1:-100}"
shift || true
zelto_install_dependencies
zelto_build_release >/dev/null
binary="$ZELTO_RELEASE_DIR/zelto"

work="$(mktemp -d "${TMPDIR:-/tmp}/zelto_bench_export_XXXXXX")"
trap 'rm -rf "$work"' EXIT
for i in $(seq -w 1 "$count"); do
  cp "$ZELTO_ROOT/examples/demo_report.tsv" "$work/patient_$i.tsv"
done

formats=svg,png,chart,csv

unset DISPLAY WAYLAND_DISPLAY || true
cd "$work"
TIMEFORMAT='%R %U %S'
timing="$( { time "$binary" --export out --format "$formats" "$@" patient_*.tsv 2>export.log >/dev/null; } 2>&1 )" || {
  cat export.log
  exit 1
}
read -r wall user sys <<<"$timing"
echo "== batch export: $count copies of the demo report as $formats ($(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg))"
tail -n 1 export.log
echo "wall-clock ${wall} s, CPU ${user} s user + ${sys} s system ($(du -sh out | cut -f1) written)"
