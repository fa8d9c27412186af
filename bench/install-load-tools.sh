#!/usr/bin/env bash
# Installs the load generator (wrk) and the reference web server (nginx) that
# bench/service_load.sh compares quendic-service with. For the benchmarks
# only: the build and the tests never need them. On a machine whose init
# starts services, installing nginx also starts its system instance (port
# 80); the benchmark runs its own instance and leaves that one alone.
set -euo pipefail
sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
missing=()
for p in wrk nginx; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
