#!/usr/bin/env bash
# Runs the benchmark programs (by hand: they take minutes and are not tests).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
build/bench/bench_filter
build/bench/bench_users_window "$@"
# The synchronisation's instructions, all threads, one round under callgrind:
# unlike its times they do not move with the machine's speed, so they show
# whether the work per user stays flat.
counts=$(mktemp -d)
trap 'rm -rf "$counts"' EXIT
BENCH_ROUNDS=1 valgrind --tool=callgrind --separate-threads=no --callgrind-out-file="$counts/run" \
  build/bench/bench_users_window 50000 100000 >/dev/null 2>&1
awk '/^desc: Trigger: Client Request:/ { run = $5 " " $6 }
     /^summary:/ && run != "" { n[run] = $2; run = "" }
     END { printf "sync instructions per user: I(100000) / I(50000) %4.2f (target 2.1)  set-based %4.2f  " \
                  "(window %.0f M and %.0f M)\n", n["window 100000"] / n["window 50000"],
                  n["set-based 100000"] / n["set-based 50000"], n["window 50000"] / 1e6, n["window 100000"] / 1e6 }' \
  "$counts"/run.*
build/bench/bench_toolkit_views
build/bench/bench_code_picker
build/bench/bench_search_codes
build/bench/bench_user_search
build/bench/bench_demodata
build/bench/bench_sync_trust
build/bench/bench_audit
build/bench/bench_import
# The synchronisation on a database server: the throw-away one of postgres.sh.
bash scripts/postgres.sh build/bench/bench_server_sync
# A province's figures on the server at a modest size (scripts/bench-province.sh
# runs them at 1,000,000 users), and twenty desktops at once, for two minutes and
# again with the server restarted halfway.
bash scripts/postgres.sh build/bench/bench_server_province
bash scripts/postgres.sh build/bench/bench_load 20 120
bash scripts/postgres.sh build/bench/bench_load 20 60 --restart
