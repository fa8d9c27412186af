#!/usr/bin/env bash
# Checks a built Debian package on this machine (root only; used by .ci/run):
# validates its desktop entry and AppStream data, installs it with dpkg,
# then, as the unprivileged user quendic-check (created when missing), looks
# up a word with quendic-cli, opens an entry from the read-only program
# folder, and keeps the window running offscreen for a few seconds; finally
# removes the package again.
set -euo pipefail
deb="$1"
user=quendic-check

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/root"
desktop-file-validate "$tmp"/root/usr/share/applications/*.desktop
appstreamcli validate --no-net "$tmp"/root/usr/share/metainfo/*.metainfo.xml

echo "== dpkg -i $(basename "$deb") ($(stat -c %s "$deb") bytes)"
dpkg -i "$deb"
trap 'dpkg -r quendic >/dev/null || true; rm -rf "$tmp"' EXIT
id -u "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
home="$(getent passwd "$user" | cut -d: -f6)"
rm -rf "$home/.local/share/quendic"
as_user() { runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

as_user quendic-cli search apple | tee "$tmp/search"
grep -q '^apple' "$tmp/search"
as_user quendic-cli show apple >"$tmp/show"
grep -q 'apple' "$tmp/show"

start=$(date +%s.%N)
status=0
as_user QT_QPA_PLATFORM=offscreen timeout 5 quendic || status=$?
if [ "$status" -ne 124 ]; then
  echo "quendic ended with status $status within 5 s"; exit 1
fi
echo "quendic ran offscreen for 5 s; user folder: $(ls "$home/.local/share/quendic" 2>/dev/null | tr '\n' ' ')"
dpkg -r quendic
trap 'rm -rf "$tmp"' EXIT
echo "package check passed"
