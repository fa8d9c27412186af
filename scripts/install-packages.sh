#!/usr/bin/env bash
# Installs with apt-get the Debian packages listed in FILE (one per line, "#"
# starts a comment) that are not installed yet; sudo when not run as root.
set -euo pipefail
list="$1"
sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi

mapfile -t packages < <(grep -v -E '^\s*(#|$)' "$list")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
