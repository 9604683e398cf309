#!/bin/sh
# Installs into a temporary prefix and checks the freedesktop layout: the
# programs, their data, the application entry and the icon.
# Usage: install_layout.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
for f in bin/pathkeep bin/pathkeep-cli \
         share/pathkeep/Pathkeep.ini share/pathkeep/symbol_types.dat share/pathkeep/readme.html \
         share/pathkeep/ocr2002.ini share/pathkeep/ocr2004.ini \
         share/applications/pathkeep.desktop share/icons/hicolor/scalable/apps/pathkeep.svg; do
  [ -f "$prefix/$f" ] || { echo "missing: $f"; fail=1; }
done
[ -x "$prefix/bin/pathkeep" ] || { echo "not executable: bin/pathkeep"; fail=1; }

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/pathkeep.desktop" || fail=1
fi
grep -qx 'Exec=pathkeep %f' "$prefix/share/applications/pathkeep.desktop" || { echo "Exec line"; fail=1; }
grep -qx 'Icon=pathkeep' "$prefix/share/applications/pathkeep.desktop" || { echo "Icon line"; fail=1; }
if command -v xmllint >/dev/null; then
  xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/pathkeep.svg" || fail=1
fi
# The installed program runs on its own, away from the source tree.
"$prefix/bin/pathkeep-cli" --version | grep -qx 'Pathkeep 4.03' || { echo "pathkeep-cli --version"; fail=1; }
[ $fail -eq 0 ] && echo "install layout ok"
exit $fail
