#!/usr/bin/env bash
# Installs what is missing, builds Zelto in Release and opens the viewer on
# REPORT (by default the bundled demo report).
#   ./scripts/run.sh [REPORT]
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the viewer runs in Xvfb:
# once the window has drawn, a PNG of it is saved, the program is closed and
# the PNG's path is printed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

zelto_install_dependencies
build="$ZELTO_RELEASE_DIR"
zelto_build_release >/dev/null

report="${1:-$ZELTO_ROOT/examples/demo_report.tsv}"
args=()
if [ -n "$report" ]; then args=("$report"); fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/zelto" "${args[@]}"
fi

# No display: a virtual X server of our own.
number=99
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$number"
cleanup() { kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

log="$build/zelto-run.log"
"$build/zelto" "${args[@]}" >"$log" 2>&1 &
zelto_pid=$!
window=$(timeout 60 xdotool search --sync --name '^Zelto$' | head -n 1)
# Let it draw a few hundred passes (the demo plays meanwhile).
sleep 3
mkdir -p "$build/screenshots"
png="$build/screenshots/zelto_$(date +%Y_%m_%d_%H_%M_%S).png"
import -window "$window" "$png"
kill -TERM "$zelto_pid" 2>/dev/null || true
wait "$zelto_pid" || true
cat "$log"
echo "$png"
