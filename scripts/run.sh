#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh), then starts Quendic on the bundled
# sample dictionary, with quendic-service answering on port 8102 beside it
# (its database and access log in the build folder). The service stops when
# the program exits. Arguments are passed to the program.
#
#   scripts/run.sh --first-run [ARGS...]
# starts it as a new user meets it: a fresh program folder with the word index
# but no entry data, an empty user folder and registry file (all under
# build/first-run/). Every lookup then goes online, and 下载 lists all 256
# packages of the sample.
set -euo pipefail
cd "$(dirname "$0")/.."
first_run=0
if [ "${1:-}" = "--first-run" ]; then
  first_run=1
  shift
fi
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

if [ "$first_run" -eq 1 ]; then
  demo="$(realpath -m "$build/first-run")"
  rm -rf "$demo"
  mkdir -p "$demo/program" "$demo/user"
  # The index, the location records, the base-info data and sd.102; no "11\".
  cp "$bin/voc.dat" "$bin/voc.dif" "$bin/vbi.dat" "$bin/sd.102" "$demo/program/"
  export QUENDIC_HOME="$demo/program" QUENDIC_USER_HOME="$demo/user"
  export QUENDIC_REGISTRY="$demo/registry"
  echo "first run: program folder $demo/program, user folder $demo/user"
fi

status=0
if [ -x "$bin/quendic" ]; then
  "$bin/quendic" "$@" || status=$?
else
  if [ $# -eq 0 ]; then
    if [ "$first_run" -eq 1 ]; then set -- show apple; else set -- search apple; fi
  fi
  "$bin/quendic-cli" "$@" || status=$?
fi
stop_service
exit "$status"
