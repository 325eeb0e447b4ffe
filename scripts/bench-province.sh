#!/usr/bin/env bash
# The province-scale runs on the throw-away PostgreSQL server (by hand, long:
# about a quarter of an hour): 200,000 areas, 1,000,000 users and 1,000,000 business
# rows, then the synchronisation of 1,000,000 RCMS users. Never part of the
# tests, nor of scripts/bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
bash scripts/postgres.sh build/bench/bench_server_province 200000 1000000 1000000
# A province between two runs: most users unchanged, a few changed or new.
BENCH_SYNC_MIX=90,5,5 bash scripts/postgres.sh build/bench/bench_server_sync 1000000
