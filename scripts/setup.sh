#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs, then configures and
# builds Quendic with its sample dictionary into build/ (or $BUILD_DIR).
# Extra arguments go to the CMake configure step; $BUILD_TARGETS, when set,
# names the targets to build instead of all.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh scripts/debian-packages.txt

if [ -x scripts/setup-extra.sh ]; then scripts/setup-extra.sh; fi

build_dir="${BUILD_DIR:-build}"
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S . -B "$build_dir" "${generator[@]}" "$@"
targets=()
for target in ${BUILD_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
