#!/usr/bin/env bash
# Builds the Debian package: scripts/setup.sh (packages, configure with the
# extra arguments given) limited to the two programs, the sample dictionary
# and the icons, then cpack; writes build/package/quendic_VERSION_ARCH.deb (or
# under $BUILD_DIR) and prints its path last.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
BUILD_DIR="$build_dir" BUILD_TARGETS="quendic quendic-cli sample_data quendic_icons" \
  scripts/setup.sh "$@"
rm -f "$build_dir"/package/*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/package/*.deb
