#!/usr/bin/env bash
# Builds a libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and fuzzes it for SECONDS (default 60), starting
# from its committed seeds: `report` (the default) the report parser, from
# tools/fuzz/corpus; `preset` the preset files' check, load and save, from
# tools/fuzz/preset_corpus. New inputs collect in fuzz-out/TARGET/corpus,
# findings in fuzz-out/TARGET/artifacts.
#   ./scripts/fuzz.sh [report|preset] [SECONDS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

target=report
if [ "${1:-}" = report ] || [ "${1:-}" = preset ]; then
  target="$1"
  shift
fi
seconds="${1:-60}"
zelto_install_dependencies
out="$ZELTO_ROOT/fuzz-out/$target"
mkdir -p "$out/corpus" "$out/artifacts" "$out/tmp"

cd "$ZELTO_ROOT"
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -Wall -Wextra -Werror -I"$ZELTO_ROOT")
if [ "$target" = report ]; then
  clang++ "${flags[@]}" tools/fuzz/fuzz_report.cpp report/emg_processing.cpp report/report_lines.cpp report/report_numbers.cpp \
    report/emg_motion.cpp report/emg_dump.cpp geometry/vector_algebra.cpp \
    base/string_tools.cpp base/utf8.cpp -o "$out/fuzz_report"
  # Inputs up to 16 KiB hold lines longer than any small buffer.
  options=(-max_len=16384 -dict="$ZELTO_ROOT/tools/fuzz/report.dict")
  seeds="$ZELTO_ROOT/tools/fuzz/corpus"
else
  clang++ "${flags[@]}" tools/fuzz/fuzz_preset.cpp gui/gui_preset_file.cpp platform/file_writer.cpp \
    -o "$out/fuzz_preset"
  # A preset is 104 bytes; a little more tries the sizes around it.
  options=(-max_len=256)
  seeds="$ZELTO_ROOT/tools/fuzz/preset_corpus"
fi

# 10 s for a single input counts as a hang.
TMPDIR="$out/tmp" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "${options[@]}" \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus" "$seeds"
