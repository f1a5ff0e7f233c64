#!/usr/bin/env bash
# Builds the report parser's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and fuzzes it for SECONDS (default 60), starting
# from the committed seeds in tools/fuzz/corpus. New inputs collect in
# fuzz-out/corpus, findings in fuzz-out/artifacts.
#   ./scripts/fuzz.sh [SECONDS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds="${1:-60}"
zelto_install_dependencies
out="$ZELTO_ROOT/fuzz-out"
mkdir -p "$out/corpus" "$out/artifacts" "$out/tmp"

cd "$ZELTO_ROOT"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -Wall -Wextra -Werror -I"$ZELTO_ROOT" \
  tools/fuzz/fuzz_report.cpp report/emg_processing.cpp geometry/vector_algebra.cpp widgets/string_tools.cpp base/utf8.cpp \
  -o "$out/fuzz_report"

# Inputs up to 16 KiB hold lines longer than any small buffer; 10 s for a
# single input counts as a hang.
TMPDIR="$out/tmp" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/fuzz_report" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
  -dict="$ZELTO_ROOT/tools/fuzz/report.dict" -artifact_prefix="$out/artifacts/" -print_final_stats=1 \
  "$out/corpus" "$ZELTO_ROOT/tools/fuzz/corpus"
