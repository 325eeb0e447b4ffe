#!/usr/bin/env bash
# Installs every Debian package the project needs (only what is missing), then
# configures and builds into build/. Safe to run again: quick when all is there.
# With --fuzz it also installs what scripts/fuzz.sh needs; with --sanitize it
# builds into build-sanitize/ with the address and undefined-behaviour
# sanitizers instead (any undefined behaviour stops the program).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  libsqlite3-dev sqlite3 libicu-dev libxlsxwriter-dev libzip-dev tzdata
  unixodbc unixodbc-dev odbcinst libsqliteodbc tdsodbc
  postgresql odbc-postgresql
  libgtest-dev libgmock-dev libbenchmark-dev valgrind
  fonts-wqy-microhei xvfb xauth
)
# scripts/fuzz.sh builds its targets with clang and libFuzzer's runtime.
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang libclang-rt-dev)
fi
BUILD_DIR=build
CMAKE_EXTRA=()
if [ "${1:-}" = "--sanitize" ]; then
  BUILD_DIR=build-sanitize
  sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  CMAKE_EXTRA=(-DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
               -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers")
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The ODBC drivers the host and its tests use must be registered with unixODBC;
# Debian's packages normally do it, this makes sure on a machine where they did not.
if ! odbcinst -q -d -n SQLite3 >/dev/null 2>&1 && [ -f /usr/share/sqliteodbc/unixodbc.ini ]; then
  odbcinst -i -d -f /usr/share/sqliteodbc/unixodbc.ini >/dev/null
fi
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1 && [ -f /usr/share/tdsodbc/odbcinst.ini ]; then
  odbcinst -i -d -f /usr/share/tdsodbc/odbcinst.ini >/dev/null
fi
if ! odbcinst -q -d -n "PostgreSQL Unicode" >/dev/null 2>&1 && [ -f /usr/share/psqlodbc/odbcinst.ini.template ]; then
  odbcinst -i -d -f /usr/share/psqlodbc/odbcinst.ini.template >/dev/null
fi

# The five-stroke table is generated at build time from Debian's wubi table
# package; the package is fetched once (not installed) and kept beside the build.
mkdir -p build/third_party
if [ ! -f build/third_party/wubi/usr/share/ibus-table/tables/wubi-haifeng86.db ]; then
  ( cd build/third_party
    rm -f ibus-table-wubi_*.deb
    apt-get download ibus-table-wubi >/dev/null 2>&1 || { apt-get update -qq && apt-get download ibus-table-wubi >/dev/null; }
    dpkg -x ibus-table-wubi_*.deb wubi )
fi

cmake -S . -B "$BUILD_DIR" -G Ninja -DWUBI_DB="$PWD/build/third_party/wubi/usr/share/ibus-table/tables/wubi-haifeng86.db" \
  "${CMAKE_EXTRA[@]}" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
