#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (GUI tests offscreen),
# with a throw-away PostgreSQL server for the tests of the server backend.
# With --sanitize the same suite runs on a build with the address and
# undefined-behaviour sanitizers (build-sanitize/): any report fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build
if [ "${1:-}" = "--sanitize" ]; then
  shift
  BUILD_DIR=build-sanitize
  bash scripts/setup.sh --sanitize
  # Leaks of objects alive at exit (Qt's, the ODBC drivers') are not faults of
  # the suite; every other report is.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  bash scripts/setup.sh
fi
export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
bash ../scripts/postgres.sh ctest --output-on-failure -j"$(nproc)" "$@"
