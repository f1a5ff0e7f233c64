#!/usr/bin/env bash
# Installs what is missing, builds Zelto with -Wall -Wextra -Werror and with
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

zelto_install_dependencies
build="$ZELTO_ROOT/build/test"
zelto_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELTO_WARNINGS_AS_ERRORS=ON -DZELTO_SANITIZE=ON -DZELTO_TESTS=ON -DZELTO_BENCHMARKS=ON

cd "$build"
# Tests run with the offscreen video driver (set per test by CMake), so no
# display is needed.
unset DISPLAY WAYLAND_DISPLAY || true
exec ctest --output-on-failure -j "$ZELTO_JOBS" --timeout 900
