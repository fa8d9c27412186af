#!/usr/bin/env bash
# Installs sdcv, the console StarDict reader Debian packages, which the
# comparison in bench/sdcv/compare.sh runs next to quendic-cli. Only the
# benchmark needs it; the build and the tests do not.
set -euo pipefail
if command -v sdcv >/dev/null; then exit 0; fi
sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
$sudo_cmd apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends sdcv
