#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs, then configures and
# builds Quendic with its sample dictionary into build/ (or $BUILD_DIR).
# Extra arguments go to the CMake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi

mapfile -t packages < <(grep -v -E '^\s*(#|$)' scripts/debian-packages.txt)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ -x scripts/setup-extra.sh ]; then scripts/setup-extra.sh; fi

build_dir="${BUILD_DIR:-build}"
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S . -B "$build_dir" "${generator[@]}" "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
