#!/usr/bin/env bash
# Runs the load-cycle session (tests/reliability/load_cycle_test.cpp)
# under valgrind's memcheck with a full leak check, on a Debug build without
# sanitizers. Leaks and errors inside the system's OpenGL stack are
# suppressed by library (tests/reliability/valgrind.supp); the program's own
# frames never are. Prints valgrind's summary; the exit status is not 0 when
# memcheck found an error or a definite or indirect leak.
#   ./scripts/leakcheck.sh [GTEST_FILTER]
# Slow: valgrind runs the program and the software renderer tens of times
# slower than natively, so this is not part of ./scripts/test.sh.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

filter="${1:-LoadCycle.*}"
zelto_install_dependencies
build="$ZELTO_ROOT/build/valgrind"
cmake -S "$ZELTO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELTO_SANITIZE=OFF -DZELTO_TESTS=ON >/dev/null
cmake --build "$build" -j "$ZELTO_JOBS" --target reliability_load_cycle_test

log="$build/leakcheck.log"
work="$(mktemp -d "${TMPDIR:-/tmp}/zelto_leakcheck_XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY || true
status=0
env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
  ZELTO_SOURCE_DIR="$ZELTO_ROOT" ZELTO_BINARY_DIR="$build" \
  valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect --track-origins=yes --num-callers=40 \
    --suppressions="$ZELTO_ROOT/tests/reliability/valgrind.supp" \
    --error-exitcode=42 --log-file="$log" \
    "$build/tests/reliability/reliability_load_cycle_test" --gtest_filter="$filter" || status=$?

echo "---- valgrind summary ($log) ----"
sed -n '/HEAP SUMMARY/,$p' "$log" | sed 's/^==[0-9]*== //'
echo "exit status: $status"
exit "$status"
