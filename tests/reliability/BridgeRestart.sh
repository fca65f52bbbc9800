#!/usr/bin/env bash
# The wireless link as a lab sets it up: ser2net serving the simulated analyzer's pseudo-terminal
# as a raw TCP port. A connection through it runs end to end; the bridge restarted in the middle of
# one fails that connection once, within seconds, with its reason on stderr; the restarted bridge
# serves the next one.
#
#   BridgeRestart.sh KSV940   (exit 77: ser2net is not installed)
set -euo pipefail
ksv940=$1
command -v ser2net >/dev/null || { echo "ser2net is not installed"; exit 77; }
work=$(mktemp -d)
sim=0 bridge=0
cleanup() {
  [ "$bridge" = 0 ] || kill "$bridge" 2>/dev/null || true
  [ "$sim" = 0 ] || kill "$sim" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# The second serial-number request (the second connection's) is answered 3 s late.
printf 'on sn 2 late 3000\n' >slow.scenario
"$ksv940" sim --pty --scenario slow.scenario --log sim.log >sim.out 2>&1 &
sim=$!
for _ in $(seq 50); do [ -s sim.out ] && break; sleep 0.1; done
pty=$(head -1 sim.out)
port=$((20000 + $$ % 20000))
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
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "ser2net did not start"; cat bridge.log; exit 1
}
fail() { echo "FAILED: $*"; cat out err 2>/dev/null; exit 1; }

start_bridge
"$ksv940" connect --wifi "127.0.0.1:$port" --operator auto >out 2>err || fail "first connection"
grep -q '^Firmware: 1.20$' out || fail "no identity through the bridge"

# The second connection waits for its serial number while the bridge is restarted.
start=$(date +%s%N)
"$ksv940" connect --wifi "127.0.0.1:$port" --operator auto >out 2>err &
client=$!
for _ in $(seq 100); do [ "$(grep -c 'in  sn' sim.log)" -ge 2 ] && break; sleep 0.05; done
kill "$bridge"; wait "$bridge" 2>/dev/null || true
start_bridge
status=0; wait "$client" || status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$status" = 1 ] || fail "a restarted bridge ended the connection with $status, not 1"
[ "$(grep -c 'bridge closed the connection' err)" = 1 ] || fail "the failure was not told once"
[ "$elapsed_ms" -lt 5000 ] || fail "the failure took $elapsed_ms ms"

"$ksv940" connect --wifi "127.0.0.1:$port" --operator auto >out 2>err || fail "after the restart"
echo "bridge restart: failed once after $elapsed_ms ms, the next connection went through"
