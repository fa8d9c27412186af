#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh), then starts Quendic on the bundled
# sample dictionary. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
bin="${BUILD_DIR:-build}/bin"
if [ -x "$bin/quendic" ]; then
  exec "$bin/quendic" "$@"
fi
exec "$bin/quendic-cli" "${@:-search apple}"
