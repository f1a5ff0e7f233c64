#!/usr/bin/env bash
# Installs what is missing, builds Zelto in Release and makes its Debian
# package with CPack (dependencies found by dpkg-shlibdeps); prints the
# package's path. Install it with `sudo apt install ./PATH`.
#   ./scripts/package.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

zelto_install_dependencies
zelto_build_release >/dev/null
cd "$ZELTO_RELEASE_DIR"
rm -f zelto_*.deb
cpack -G DEB >/dev/null
deb="$(ls "$ZELTO_RELEASE_DIR"/zelto_*.deb)"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\|Installed-Size\):/\1:/p'
echo "$deb"
