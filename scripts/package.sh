#!/usr/bin/env bash
# Makes the Debian package and installs it: installs what building it needs,
# builds build/package/finbowl_<version>_<arch>.deb from the files in this
# tree, then installs that with apt (which brings what it depends on).
# With --no-install it only makes the package.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
install=1
case "${1:-}" in
  --no-install) install=0 ;;
  "") ;;
  *) finbowl_say "usage: scripts/package.sh [--no-install]"; exit 2 ;;
esac
finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_PACKAGE_PACKAGES

# dpkg-buildpackage builds inside the source tree and writes the package
# beside it, so it works on a copy under build/package.
out="$FINBOWL_ROOT/build/package"
rm -rf "$out"
mkdir -p "$out/finbowl"
tar -C "$FINBOWL_ROOT" --exclude=./build --exclude=./.git --exclude=./SET -cf - . |
  tar -C "$out/finbowl" -xf -
(cd "$out/finbowl" && dpkg-buildpackage --build=binary --no-sign)
deb=$(find "$out" -maxdepth 1 -name 'finbowl_*.deb' | head -n1)
finbowl_say "made $deb"

if [ $install -eq 1 ]; then
  finbowl_as_root apt-get install -y --reinstall "$deb"
  finbowl_say "installed: start Finbowl from the desktop menu, or run finbowl"
fi
