#!/usr/bin/env bash
# Runs the benchmark programs (by hand: they take minutes and are not tests).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
build/bench/bench_filter
build/bench/bench_users_window "$@"
build/bench/bench_toolkit_views
build/bench/bench_code_picker
build/bench/bench_search_codes
build/bench/bench_user_search
build/bench/bench_demodata
build/bench/bench_sync_trust
# The synchronisation on a database server: the throw-away one of postgres.sh.
bash scripts/postgres.sh build/bench/bench_server_sync
