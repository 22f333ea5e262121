#!/usr/bin/env bash
# Measures vantor-gateway against the demo host with vantor-load (Release build): script errors with
# links cut every DROP seconds through the gateway and straight, the turnaround without cuts both ways,
# and the gateway's memory per held session.
# Usage: scripts/measure-gateway.sh [TERMINALS] [SECONDS]   (defaults 999 and 60; DROP=20 THINK=0.5)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/release
terminals=${1:-999}
seconds=${2:-60}
drop=${DROP:-20}
think=${THINK:-0.5}
out=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$out"' EXIT

port_of() { # waits for "listening on 127.0.0.1:PORT" in the file, prints PORT
  for _ in $(seq 100); do
    grep -o 'listening on 127.0.0.1:[0-9]*' "$1" 2>/dev/null | head -1 | cut -d: -f2 && return
    sleep 0.1
  done
  return 1
}
start_gateway() { # HOSTPORT: a fresh gateway (the last one stopped), in gateway_pid and gateway_port
  [ -z "${gateway_pid:-}" ] || kill "$gateway_pid"
  "$bin/vantor-gateway" --listen 127.0.0.1:0 --host "127.0.0.1:$1" >"$out/gateway.log" 2>&1 &
  gateway_pid=$!
  pids+=("$gateway_pid")
  gateway_port=$(port_of "$out/gateway.log")
}
load() { # NAME PORT [OPTIONS...]: one run, its summary
  local name=$1 port=$2
  shift 2
  echo "== $name"
  "$bin/vantor-load" --host "127.0.0.1:$port" --terminals "$terminals" --think "$think" --duration "$seconds" \
    --script tools/load/warehouse.script --max-errors 1000000 "$@" 2>/dev/null || true
}
rss_kib() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

"$bin/demo_host" 0 >"$out/demo.log" 2>&1 &
pids+=($!)
demo=$(port_of "$out/demo.log")
load "straight, links cut every ${drop} s" "$demo" --drop-every "$drop"
start_gateway "$demo"
load "through the gateway, links cut every ${drop} s" "$gateway_port" --drop-every "$drop"
load "straight, no cuts" "$demo"
start_gateway "$demo"
load "through the gateway, no cuts" "$gateway_port"

# Held sessions: terminals that sign on and vanish (their process killed), each held by the gateway.
start_gateway "$demo"
before=$(rss_kib "$gateway_pid")
"$bin/vantor-load" --host "127.0.0.1:$gateway_port" --terminals "$terminals" --think "$think" --duration 600 \
  --script tools/load/warehouse.script >/dev/null 2>&1 &
loader=$!
sleep 15
kill -9 "$loader"
wait "$loader" 2>/dev/null || true
for _ in $(seq 100); do
  [ "$(grep -c '^.* hold id=' "$out/gateway.log")" -ge "$terminals" ] && break
  sleep 0.1
done
held=$(grep -c '^.* hold id=' "$out/gateway.log")
after=$(rss_kib "$gateway_pid")
echo "== held sessions: $held; gateway RSS $before KiB with none, $after KiB with them:" \
  "$(( (after - before) / (held > 0 ? held : 1) )) KiB per held session"
