#!/usr/bin/env bash
# Makes the pictures of the README's user guide (docs/*.png) from the real
# program: builds Zelto in Release, opens the demo report (and a generated
# one without EMG channels) in Xvfb, drives it with the acceptance suite's
# driver and saves small PNG files.
#   ./scripts/make_docs_pictures.sh [REPORT]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

zelto_install_dependencies
build="$ZELTO_RELEASE_DIR"
zelto_build_release >/dev/null

report="${1:-$ZELTO_ROOT/examples/demo_report.tsv}"
unset DISPLAY WAYLAND_DISPLAY || true
python3 "$ZELTO_ROOT/tools/docs_pictures.py" "$build/zelto" "$report" "$ZELTO_ROOT/docs" "$build/gen_report"
ls -l "$ZELTO_ROOT/docs"
