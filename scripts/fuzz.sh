#!/usr/bin/env bash
# Fuzzes the T-SQL translation, the filter parser, the quoting and the reader
# of import files with libFuzzer, by hand (never part of the tests):
#   bash scripts/fuzz.sh [seconds per target, default 600] [target ...]
# Builds the targets of fuzz/ with clang and the address and undefined-behaviour
# sanitizers into build-fuzz/, then runs each in turn (niced) on its seed corpus
# fuzz/corpus/<target>; inputs that add coverage go to build-fuzz/corpus/<target>,
# an input that crashes or breaks an invariant to build-fuzz/<target>-crash-*.
# Prints the executions and coverage of each run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_translator fuzz_filter fuzz_quoting fuzz_import)

bash scripts/setup.sh --fuzz
wubi="$PWD/build/third_party/wubi/usr/share/ibus-table/tables/wubi-haifeng86.db"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$sanitizers -fsanitize=fuzzer-no-link -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" \
  -DWUBI_DB="$wubi" >/dev/null
nice cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

export UBSAN_OPTIONS=print_stacktrace=1
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/$target.log"
  # The reader of import files must refuse a ZIP bomb within its limits, so
  # its memory is held to what those limits allow.
  rss=2048
  [ "$target" = fuzz_import ] && rss=512
  echo "fuzz: $target for ${seconds} s"
  if ! nice "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb="$rss" \
      -print_final_stats=1 -artifact_prefix="build-fuzz/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target failed; the input is kept under build-fuzz/"
    exit 1
  fi
  grep -E '^#[0-9]+' "$log" | tail -n 1
  grep -E 'stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log"
done
