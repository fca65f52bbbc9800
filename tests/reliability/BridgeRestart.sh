#!/usr/bin/env bash
# The wireless link as a lab sets it up: ser2net serving the simulated analyzer's pseudo-terminal
# as a raw TCP port. A plan runs through it end to end; the bridge restarted in the middle of a
# test fails that run once, within seconds, with its reason told once; the restarted bridge serves
# the next run, and a connection through it as well.
#
#   BridgeRestart.sh KSV940   (exit 77: ser2net is not installed)
set -euo pipefail
command -v ser2net >/dev/null || { echo "ser2net is not installed"; exit 77; }
source "$(dirname "$0")/SimulatedLab.sh"

# The second run's earth-leakage reading is answered 3 s late.
start_sim 'on mread 2 late 3000'
# Below the kernel's ephemeral ports (32768 on), so no outgoing connection of another test holds it.
port=$((20000 + $$ % 12000))
cat >bridge.yaml <<EOF
%YAML 1.1
---
connection: &ksv940
  accepter: tcp,127.0.0.1,$port
  connector: serialdev,$pty,115200n81,local
  options:
    kickolduser: true
EOF
start_bridge() {
  ser2net -n -c "$work/bridge.yaml" >>bridge.log 2>&1 &
  bridge=$!
  pids+=("$bridge")
  # Up to 20 s: a sanitizer build running beside other tests starts everything slowly.
  for _ in $(seq 200); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "ser2net did not start"; cat bridge.log; exit 1
}

start_bridge
run() { "$ksv940" run plan.xml --wifi "127.0.0.1:$port" --operator auto --no-db "$@"; }
run >out 2>err || fail "the first run"
[ "$(grep -c 'completed' out)" = 3 ] || fail "the first run did not complete its steps"

# The second run waits for its reading while the bridge is restarted.
start=$(date +%s%N)
run >out 2>err &
client=$!
for _ in $(seq 200); do [ "$(grep -c 'in  mread' sim.log)" -ge 2 ] && break; sleep 0.05; done
kill "$bridge"; wait "$bridge" 2>/dev/null || true
start_bridge
status=0; wait "$client" || status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$status" = 1 ] || fail "a restarted bridge ended the run with $status, not 1"
told=$(cat out err | grep -c 'bridge closed the connection' || true)
[ "$told" = 1 ] || fail "the failure was told $told times, not once"
[ "$elapsed_ms" -lt 8000 ] || fail "the failure took $elapsed_ms ms"

run >out 2>err || fail "the run after the restart"
"$ksv940" connect --wifi "127.0.0.1:$port" --operator auto >out 2>err || fail "connect after it"
grep -q '^Firmware: 1.20$' out || fail "no identity through the bridge"
echo "bridge restart: the run failed once after $elapsed_ms ms, the next run went through"
