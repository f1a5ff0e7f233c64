#!/usr/bin/env bash
# Size and memory with long recordings (Release build, offscreen driver), on
# reports from the generator at 100 Hz with angles and EMG: 5 minutes (30 000
# samples) and an hour (360 000 samples, about 37 MB of text).
# - The SVG screenshot of each in the view of built-in preset 1
#   (`--export DIR --format svg --preset 1`): its size, its polylines, the
#   export's wall-clock time and the largest resident memory of the export's
#   processes (the worker holds the report); for the hour also every format.
# - The viewer holding the hour-long report in the view of preset 1, as every
#   load ends: the peak (VmHWM) and the current size (VmRSS) once the load
#   has settled.
#   bench/bench_memory.sh [SECONDS_TO_SETTLE]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

zelto_install_dependencies
zelto_build_release >/dev/null
binary="$ZELTO_RELEASE_DIR/zelto"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
"$ZELTO_RELEASE_DIR/gen_report" --frequency 100 --duration 300 --exercises 1 --angles --emg -o "$dir/five.tsv"
"$ZELTO_RELEASE_DIR/gen_report" --frequency 100 --duration 3600 --exercises 1 --angles --emg -o "$dir/hour.tsv"

# Wall-clock seconds and the largest resident set of an export and its
# workers: export_measured REPORT FORMATS.
export_measured() {
  python3 - "$binary" "$dir/$1-$2" "$dir/$1.tsv" "$2" <<'EOF'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run([sys.argv[1], "--export", sys.argv[2], "--format", sys.argv[4], "--preset", "1", sys.argv[3]],
               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print("%.2f s, largest resident %.0f MB" % (time.monotonic() - start,
                                            resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024))
EOF
}

for report in five hour; do
  measured="$(export_measured "$report" svg)"
  svg="$(ls "$dir/$report-svg"/*.svg)"
  echo "$report.tsv: SVG $(stat -c %s "$svg") bytes, $(grep -c '<polyline' "$svg") polylines; export $measured"
done
echo "hour.tsv, every format: export $(export_measured hour svg,png,chart,csv,pdf)"

SDL_VIDEODRIVER=offscreen "$binary" "$dir/hour.tsv" >"$dir/console.txt" 2>&1 &
pid=$!
sleep "${1:-20}"
echo "viewer with hour.tsv: $(grep -E 'VmHWM|VmRSS' "/proc/$pid/status" | tr -s ' \t\n' ' ')"
kill "$pid"
wait "$pid" || true
