#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (GUI tests offscreen),
# with a throw-away PostgreSQL server for the tests of the server backend.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
cd build
bash ../scripts/postgres.sh ctest --output-on-failure -j"$(nproc)" "$@"
