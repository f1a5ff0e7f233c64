#!/usr/bin/env bash
# The Debian package as a user gets it: CPack packages this build, dpkg -x
# unpacks the package into a scratch root, and the zelto found there tells
# its version and exports a report.
#   package_test.sh BUILD_DIR CPACK REPORT
set -euo pipefail
build="$1" cpack="$2" report="$3"
work="$(mktemp -d "${TMPDIR:-/tmp}/zelto_package_XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

(cd "$build" && "$cpack" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb="$(ls "$work"/package/zelto_*.deb)"
depends="$(dpkg-deb --field "$deb" Depends)"
for library in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libsdl2-image-2.0-0; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ "$(dpkg-deb --field "$deb" Recommends)" == *zenity* ]] || fail "Recommends lacks zenity"

dpkg -x "$deb" "$work/root"
for file in bin/zelto share/applications/zelto.desktop share/man/man1/zelto.1.gz share/doc/zelto/copyright \
            share/icons/hicolor/16x16/apps/zelto.png share/icons/hicolor/256x256/apps/zelto.png; do
  [ -f "$work/root/usr/$file" ] || fail "no /usr/$file in the package"
done
grep -q '^License: bitstream-vera' "$work/root/usr/share/doc/zelto/copyright" || fail "no font licence"

zelto="$work/root/usr/bin/zelto"
"$zelto" --version >"$work/version" || fail "--version"
head -n 1 "$work/version" | grep -Eq '^Zelto [0-9]+\.[0-9]+' || fail "version line: $(head -n 1 "$work/version")"
"$zelto" --export "$work/out" --format svg,csv --exercise 2 "$report" 2>"$work/export.log" || {
  cat "$work/export.log"
  fail "--export"
}
grep -q '^\[1/1\] .*: 1 exercise, 1 file$' "$work/export.log" || { cat "$work/export.log"; fail "progress line"; }
ls "$work"/out/*_2_*.svg "$work/out/measures.csv" >/dev/null || fail "files not written"
echo "package test: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB, passed"
