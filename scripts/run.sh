#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh), then starts Quendic on the bundled
# sample dictionary, with quendic-service answering on port 8102 beside it
# (its database and access log in the build folder). The service stops when
# the program exits. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build="${BUILD_DIR:-build}"
bin="$build/bin"

port=8102
service_pid=""
stop_service() {
  if [ -n "$service_pid" ]; then
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
    service_pid=""
  fi
}
trap stop_service EXIT INT TERM

started="$build/service.started"
rm -f "$started"
"$bin/quendic-service" --data "$build/service-data" --port "$port" \
  --db "$build/service.db" >"$started" 2>"$build/service.log" &
service_pid=$!
# Waits for its "listening" line, or for it to give up (the port is taken).
for _ in $(seq 1 100); do
  if grep -q "listening" "$started" 2>/dev/null; then break; fi
  if ! kill -0 "$service_pid" 2>/dev/null; then break; fi
  sleep 0.05
done
if grep -q "listening" "$started" 2>/dev/null; then
  echo "quendic-service: listening on http://127.0.0.1:$port/qv/ (log: $build/service.log)"
  export QUENDIC_IPS_URL="http://127.0.0.1:$port"
else
  wait "$service_pid" 2>/dev/null || true
  service_pid=""
  echo "quendic-service could not start: port $port is taken (see $build/service.log);" \
       "starting Quendic anyway" >&2
fi

status=0
if [ -x "$bin/quendic" ]; then
  "$bin/quendic" "$@" || status=$?
else
  if [ $# -eq 0 ]; then set -- search apple; fi
  "$bin/quendic-cli" "$@" || status=$?
fi
stop_service
exit "$status"
