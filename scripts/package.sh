#!/usr/bin/env bash
# Builds the Debian package of the host and the module with CPack, in a tree
# of its own (build-package/: installed under /usr, Debian's hardening flags,
# no build-tree fallback for the module), checks it with lintian (an error
# fails), its menu entry and its AppStream metainfo, and prints the path of
# the .deb as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --package >&2
umask 022
# The dates in the package are the last commit's, so a commit builds the same
# package twice.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"

BUILD_DIR=build-package
wubi="$PWD/build/third_party/wubi/usr/share/ibus-table/tables/wubi-haifeng86.db"
# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: CPack builds what is installed, not the
# tests and benchmarks.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DLUMO_PACKAGE=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DWUBI_DB="$wubi" >&2
cmake --build "$BUILD_DIR" -j"$(nproc)" --target lumohost LumoUserMag lumohost_package_files >&2
rm -rf "$BUILD_DIR/package"
( cd "$BUILD_DIR" && cpack -G DEB ) >&2
deb=$(ls "$PWD/$BUILD_DIR"/package/lumohost_*.deb)

desktop-file-validate packaging/lumohost.desktop >&2
appstreamcli validate --no-net "$BUILD_DIR/packaging/lumohost.metainfo.xml" >&2 || true
echo "package: lintian $deb" >&2
lintian --info --display-info --fail-on error "$deb" >&2
echo "$deb"
