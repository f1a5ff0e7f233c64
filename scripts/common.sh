# Shared by the scripts: installing what Zelto needs on Debian, and building.
# shellcheck shell=bash

ZELTO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ZELTO_JOBS="$(nproc 2>/dev/null || echo 2)"

# Debian packages needed to build, test and run Zelto.
ZELTO_PACKAGES=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
  libcairo2-dev libfreetype-dev
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick librsvg2-bin libxml2-utils poppler-utils
  clang libclang-rt-14-dev valgrind
  dpkg-dev file lintian
)

zelto_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs every package of the list that is not installed yet.
zelto_install_dependencies() {
  local missing=()
  local pkg
  for pkg in "${ZELTO_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    zelto_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    zelto_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

# zelto_build DIR [cmake options...]: configures (once) and builds in DIR.
zelto_build() {
  local dir="$1"
  shift
  cmake -S "$ZELTO_ROOT" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$ZELTO_JOBS"
}

# zelto_build_release [cmake options...]: the Release build of the viewer in
# $ZELTO_RELEASE_DIR, shared by the run, benchmark, picture and random-input
# scripts.
ZELTO_RELEASE_DIR="$ZELTO_ROOT/build/release"
zelto_build_release() {
  zelto_build "$ZELTO_RELEASE_DIR" -DCMAKE_BUILD_TYPE=Release -DZELTO_TESTS=OFF "$@"
}
