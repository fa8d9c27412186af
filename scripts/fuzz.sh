#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ (or $BUILD_DIR) and runs each
# for SECONDS seconds (default 30), starting from its seed corpus. Inputs that
# widen coverage collect in build-fuzz/corpus/<target>; a crash fails the
# script with the target's report, the input saved in build-fuzz/.
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
# libFuzzer uses one core per target; as many targets run at once as there
# are cores, each for the full time.
run() {
  local name="$1" status=0
  mkdir -p "$build_dir/corpus/$name"
  (cd "$build_dir" && "fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "corpus/$name" "../fuzz/corpus/$name") >"$build_dir/$name.log" 2>&1 \
    || status=$?
  echo "$status" >"$build_dir/$name.status"
}
names=()
for target in "$build_dir"/fuzz/fuzz_*; do
  name="$(basename "$target")"
  names+=("$name")
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do sleep 1; done
  echo "== $name: ${seconds} s"
  run "$name" &
done
wait
failed=0
for name in "${names[@]}"; do
  status="$(cat "$build_dir/$name.status")"
  echo "$name: $(grep -E '^stat::number_of_executed_units' "$build_dir/$name.log" || true)"
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$build_dir/$name.log"
    echo "$name failed (status $status); the input is saved in $build_dir"
    failed=1
  fi
done
exit "$failed"
