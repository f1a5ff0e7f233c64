#!/usr/bin/env bash
# Resident memory of the real viewer (Release, offscreen driver) holding an
# hour-long report (360 000 samples at 100 Hz, about 31 MB of text) in the
# view of built-in preset 1, as every load ends: the peak (VmHWM) and the
# current size (VmRSS) once the load has settled.
#   bench/bench_memory.sh [SECONDS_TO_SETTLE]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

zelto_install_dependencies
zelto_build_release >/dev/null
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
"$ZELTO_RELEASE_DIR/gen_report" --frequency 100 --duration 3600 --exercises 1 --angles -o "$dir/hour.tsv"
SDL_VIDEODRIVER=offscreen "$ZELTO_RELEASE_DIR/zelto" "$dir/hour.tsv" >"$dir/console.txt" 2>&1 &
pid=$!
sleep "${1:-20}"
grep -E 'VmHWM|VmRSS' "/proc/$pid/status"
kill "$pid"
wait "$pid" || true
