#!/usr/bin/env bash
# Load figures of quendic-service on loopback, next to nginx serving the same
# bytes in the same run. Load generator: wrk (bench/install-load-tools.sh
# installs wrk and nginx from Debian).
#
#   bench/service_load.sh [SERVICE_DIR]
#
# SERVICE_DIR is a service folder, by default the full build's
# (build/bin/quendic-mkdict --full --out build/full --service build/full-service).
# DURATION (seconds per run, default 10) and BUILD_DIR may be set.
#
# Prints:
#  (a) service-page requests per second (operation 23) at 1, 10, 50 connections;
#  (b) block-query throughput (MiB/s) for 64 KiB and 1 MiB blocks at 1 and 10
#      connections, and nginx for the same byte ranges (Range requests on the
#      plain file), with the ratio;
#  (c) the service's peak resident memory (VmHWM) while 10 clients download
#      a whole 1 MiB package over and over.
# The blocks are built here from the field table and md5sum alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
data="$(cd "${1:-$build/full-service}" && pwd)"
duration="${DURATION:-10}"
for tool in wrk nginx md5sum; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run bench/install-load-tools.sh" >&2; exit 2; }
done

work="$(mktemp -d /tmp/quendic-load-XXXXXX)"
service_pid=""
nginx_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

hex8() { printf '%08X' "$1"; }
# A parameter block: the fields, then MD5 of the fields and a blank, upper case.
block() { printf '%s%s' "$1" "$(printf '%s ' "$1" | md5sum | cut -c1-32 | tr a-f A-F)"; }

# One GET over bash's /dev/tcp: the reply's body on stdout.
fetch() {
  local url="${1#http://}" host port path
  host="${url%%/*}"; path="/${url#*/}"; port="${host##*:}"; host="${host%%:*}"
  exec 3<>"/dev/tcp/$host/$port"
  printf 'GET %s HTTP/1.0\r\nHost: %s\r\n\r\n' "$path" "$host" >&3
  sed '1,/^\r$/d' <&3
  exec 3<&-
}

# Starts quendic-service on a free port; sets service_pid and base.
start_service() {
  "$build/bin/quendic-service" --data "$data" --port 0 --db "$work/service.db" \
    >"$work/service.out" 2>/dev/null &
  service_pid=$!
  for _ in $(seq 1 100); do grep -q listening "$work/service.out" && break; sleep 0.05; done
  base="$(sed 's/.*listening on //' "$work/service.out")"
}
stop_service() { kill "$service_pid"; wait "$service_pid" 2>/dev/null || true; service_pid=""; }

# wrk's figure ("Requests/sec" or "Transfer/sec") for one run.
wrk_figure() {
  local what="$1" connections="$2"; shift 2
  local threads=$(( connections < 2 ? 1 : 2 ))
  wrk -t"$threads" -c"$connections" -d"${duration}s" "$@" | awk -v w="$what:" '$1 == w {print $2}'
}
# wrk's transfer rate ("12.3MB", "800KB", "1.1GB") in MiB/s.
mib() {
  awk -v v="$1" 'BEGIN { n = v + 0; u = v; gsub(/[0-9.]/, "", u);
    f = (u == "GB") ? 1024 : (u == "MB") ? 1 : (u == "KB") ? 1 / 1024 : 1 / 1048576;
    printf "%.1f", n * f }'
}

# The folder is served through a view of links in the work folder, which adds
# one package of exactly 1 MiB ("11/100.dat", package 0x100) made of the
# bytes of the largest real packages: the full build's packages stay far
# below 1 MiB without recordings. The 64 KiB blocks and operation 23 use
# the largest real package.
big="$(ls -S "$data"/11/*.dat | sed -n 1p)"
fid_hex="$(basename "$big" .dat)"
view="$work/data"
mkdir -p "$view/11"
for f in "$data"/* "$data"/11/*; do
  [ -f "$f" ] && ln -s "$f" "$view/${f#"$data"/}"
done
[ -d "$data/updates" ] && ln -s "$data/updates" "$view/updates"
{ ls -S "$data"/11/*.dat | xargs cat 2>/dev/null | head -c 1048576 >"$view/11/100.dat"; } || true
mib1="$(stat -c %s "$view/11/100.dat")"
kib64=65536
echo "service folder: $data; 64 KiB blocks from 11/$fid_hex.dat ($(stat -c %s "$big") bytes)," \
     "1 MiB blocks from 11/100.dat ($mib1 bytes); $duration s per run"
data="$view"

start_service
op23="${base}sh.asp?p=$(block "00$(hex8 23)02$(hex8 102)03$(hex8 102001)08$(hex8 5)1F$(hex8 11)20$(hex8 $((16#$fid_hex)))22$(hex8 0)23$(hex8 100)")"
fetch "$op23" | grep -q '<Result>OK</Result><Pos>0</Pos><Len>100</Len>' ||
  { echo "the service does not answer operation 23 as expected" >&2; exit 1; }
# A block query of package $3 (hex, default the largest real one).
block_url() {
  local pos="$1" len="$2" fid="${3:-$fid_hex}"
  printf '%sdl.asp?cid=5&sid=102001&fc=11&fid=%s&pos=%s&len=%s&check=%s' "$base" \
    "$(hex8 $((16#$fid)))" "$pos" "$len" "$(printf '%s ' "5$pos$len" | md5sum | cut -c1-32)"
}
cmp <(fetch "$(block_url 0 "$kib64")") <(head -c "$kib64" "$big") ||
  { echo "the service's block differs from the file" >&2; exit 1; }

# nginx: the same folder as plain files, on a free port.
nginx_port=18102
while (exec 3<>"/dev/tcp/127.0.0.1/$nginx_port") 2>/dev/null; do nginx_port=$((nginx_port + 1)); done
user_line=""
[ "$(id -u)" -eq 0 ] && user_line="user root;"
cat >"$work/nginx.conf" <<CONF
$user_line
worker_processes auto;
daemon off;
pid $work/nginx.pid;
error_log $work/nginx.err;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $work; proxy_temp_path $work; fastcgi_temp_path $work;
  uwsgi_temp_path $work; scgi_temp_path $work;
  server { listen 127.0.0.1:$nginx_port; root $data; }
}
CONF
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
for _ in $(seq 1 100); do (exec 3<>"/dev/tcp/127.0.0.1/$nginx_port") 2>/dev/null && break; sleep 0.05; done
nginx_url() { echo "http://127.0.0.1:$nginx_port/11/${1:-$fid_hex}.dat"; }

echo
echo "(a) service page, operation 23 (requests/s)"
for c in 1 10 50; do
  printf '  %2d connections: %s\n' "$c" "$(wrk_figure Requests/sec "$c" "$op23")"
done

echo
echo "(b) block queries (MiB/s): quendic-service, nginx, ratio"
for size in "$kib64 $fid_hex" "$mib1 100"; do
  read -r len fid <<<"$size"
  for c in 1 10; do
    s="$(mib "$(wrk_figure Transfer/sec "$c" "$(block_url 0 "$len" "$fid")")")"
    n="$(mib "$(wrk_figure Transfer/sec "$c" -H "Range: bytes=0-$((len - 1))" "$(nginx_url "$fid")")")"
    printf '  %7d-byte blocks, %2d connections: %8s %8s  %s\n' "$len" "$c" "$s" "$n" \
      "$(awk -v s="$s" -v n="$n" 'BEGIN { printf "%.2fx", (n > 0) ? s / n : 0 }')"
  done
done

echo
echo "(c) peak memory, 10 clients downloading the whole 1 MiB package"
stop_service
start_service
idle="$(awk '/VmHWM/ {print $2}' "/proc/$service_pid/status")"
wrk_figure Transfer/sec 10 "$(block_url 0 "$mib1" 100)" >/dev/null
peak="$(awk '/VmHWM/ {print $2}' "/proc/$service_pid/status")"
echo "  VmHWM idle $idle KiB, after the load $peak KiB"
