#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ (or $BUILD_DIR) and runs each
# for SECONDS seconds (default 30), starting from its seed corpus. Inputs that
# widen coverage collect in build-fuzz/corpus/<target>; a crash stops the
# script with the target's report and the input saved in build-fuzz/.
# Needs the packages clang and libclang-rt-14-dev.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build_dir="${BUILD_DIR:-build-fuzz}"
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
CC=clang CXX=clang++ cmake -S . -B "$build_dir" "${generator[@]}" -DQUENDIC_FUZZ=ON \
  -DQUENDIC_GUI=OFF -DQUENDIC_BENCH=OFF -DQUENDIC_SAMPLE=OFF -DQUENDIC_WERROR=ON \
  "-DSANITIZE=address;undefined" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target quendic_fuzzers --parallel "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "$build_dir"/fuzz/fuzz_*; do
  name="$(basename "$target")"
  mkdir -p "$build_dir/corpus/$name"
  log="$build_dir/$name.log"
  echo "== $name: ${seconds} s"
  status=0
  (cd "$build_dir" && "fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "corpus/$name" "../fuzz/corpus/$name") >"$log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units|DONE' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "$name failed (status $status); the input is saved in $build_dir"
    exit 1
  fi
done
