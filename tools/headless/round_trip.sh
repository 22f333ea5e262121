#!/usr/bin/env bash
# Times `key Enter` to the end of the next `wait` against the demo host: signs on, opens the stock
# inquiry and asks for one item N times (100 unless given), then prints the median and the spread in
# microseconds. Usage: tools/headless/round_trip.sh BUILD_DIR [N]   (docs/headless.md)
set -euo pipefail
build=${1:?usage: round_trip.sh BUILD_DIR [N]}
count=${2:-100}
work=$(mktemp -d)
"$build/demo_host" 0 >"$work/host.log" 2>&1 &
host=$!
trap 'kill $host 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q listening "$work/host.log" && break; sleep 0.1; done
port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/host.log")
[ -n "$port" ] || { echo "demo_host did not start" >&2; exit 1; }
{
  printf 'wait connected\nwait\ntype JOE\nkey Enter\nwait\ntype pw\nkey Enter\nwait\ntap 21\nwait\ntype A100\n'
  for _ in $(seq "$count"); do printf 'key Enter\nwait\n'; done
} >"$work/round_trip.script"
: >"$work/none.ini"  # no settings: every one its default
"$build/vantor-headless" --settings "$work/none.ini" --host "127.0.0.1:$port" --script "$work/round_trip.script" \
  --timing >/dev/null 2>"$work/timing.log"
# Each line: "timing: START END COMMAND"; a round trip runs from a key's start to the next wait's end,
# counted once the inquiry screen has its item.
awk '$4 == "type" && $5 == "A100" { on = 1 }
     on && $4 == "key" && $5 == "Enter" { start = $2 }
     $4 == "wait" && start != "" { print $3 - start; start = "" }' \
  "$work/timing.log" | sort -n | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "no round trips"; exit 1 }
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%d round trips: median %d us, fastest %d us, slowest %d us\n", NR, m, v[1], v[NR] }'
