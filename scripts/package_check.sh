#!/usr/bin/env bash
# The package on a clean Debian 12: builds it (scripts/package.sh), makes a
# minimal Debian root with debootstrap (downloaded, so this is not part of
# the test suite), installs the package there with apt, which brings in what
# it depends on and nothing else, then opens the demo report in the window
# under Xvfb in that root and exports PNG and SVG. Needs root.
#   ./scripts/package_check.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ZELTO_PACKAGES+=(debootstrap lintian)
zelto_install_dependencies
deb="$("$ZELTO_ROOT/scripts/package.sh" | tail -n 1)"
echo "== lintian --pedantic $(basename "$deb")"
lintian --pedantic --fail-on error,warning "$deb" && echo "lintian: no error, no warning"

root="$ZELTO_ROOT/build/package-check/root"
if [ ! -x "$root/usr/bin/apt-get" ]; then
  rm -rf "$root"
  mkdir -p "$root"
  echo "== debootstrap bookworm (minbase)"
  debootstrap --variant=minbase bookworm "$root" >"$root.log" 2>&1 || { tail -n 20 "$root.log"; exit 1; }
fi
mounted=()
cleanup() { for m in "${mounted[@]}"; do umount -l "$m" || true; done; }
trap cleanup EXIT
for m in proc dev; do
  mount --bind "/$m" "$root/$m"
  mounted+=("$root/$m")
done
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

cp "$deb" "$root/tmp/zelto.deb"
cp "$ZELTO_ROOT/examples/demo_report.tsv" "$root/tmp/demo_report.tsv"
echo "== apt install ./zelto.deb xvfb xauth (Xvfb only to have a display)"
in_root apt-get update -q >/dev/null
# A root kept from an earlier check loses the package and all it brought.
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q --autoremove zelto xvfb xauth >/dev/null 2>&1 || true
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  /tmp/zelto.deb xvfb xauth >"$root/tmp/apt.log" 2>&1 || { tail -n 30 "$root/tmp/apt.log"; exit 1; }
echo "packages set up: $(grep -c '^Setting up' "$root/tmp/apt.log" || true)"
grep -E '^Setting up (zelto|libgl1|libegl1|libgl1-mesa-dri|libsdl2)' "$root/tmp/apt.log" || true

echo "== the window, 15 s under Xvfb"
status=0
in_root sh -c 'cd /tmp && timeout 15 xvfb-run -a -s "-screen 0 1200x800x24" zelto /tmp/demo_report.tsv' \
  >"$root/tmp/window.log" 2>&1 || status=$?
cat "$root/tmp/window.log"
# 124: still running after 15 s, its window open; anything else ended it.
[ "$status" -eq 124 ] || { echo "the viewer ended with status $status"; exit 1; }
grep -q "could not\|Could not" "$root/tmp/window.log" && exit 1
echo "viewer running after 15 s: window open"

echo "== export PNG and SVG (under Xvfb, then without a display)"
in_root sh -c 'cd /tmp && rm -rf out1 out2 &&
  xvfb-run -a zelto --export out1 --format png,svg --exercise 1 demo_report.tsv &&
  zelto --export out2 --format png,svg --exercise 1 demo_report.tsv && ls -l out1 out2 &&
  for f in out1/*.png out2/*.png; do head -c 4 "$f" | tail -c 3; echo " $f"; done &&
  tail -n 1 out1/*.svg out2/*.svg'
echo "package check: passed"
