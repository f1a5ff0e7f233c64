#!/usr/bin/env bash
# Installs what is missing, builds Zelto with Debian's flags and makes its Debian
# package with CPack (dependencies found by dpkg-shlibdeps); prints the
# package's path. Install it with `sudo apt install ./PATH`; lintian checks it.
#   ./scripts/package.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

zelto_install_dependencies
# Debian's hardening flags (dpkg-buildflags, every feature on: fortified
# functions, stack protector, relro and bind-now, PIE) in a build of its own.
build="$ZELTO_ROOT/build/package"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
zelto_build "$build" -DCMAKE_BUILD_TYPE=None -DZELTO_TESTS=OFF -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cd "$build"
rm -f zelto_*.deb
cpack -G DEB >/dev/null
deb="$(ls "$build"/zelto_*.deb)"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\|Recommends\|Installed-Size\):/\1:/p'
echo "$deb"
