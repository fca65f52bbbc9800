#!/usr/bin/env bash
# A run killed outright (kill -9) in the middle of a test, on the simulated analyzer's
# pseudo-terminal: the report of the killed run stays readable and holds the steps it finished;
# a second run on the same port finds it free and runs the plan to the end.
#
#   KilledRun.sh KSV940
set -euo pipefail
ksv940=$1
work=$(mktemp -d)
sim=0 run=0
cleanup() {
  [ "$run" = 0 ] || kill -9 "$run" 2>/dev/null || true
  [ "$sim" = 0 ] || kill "$sim" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
fail() { echo "FAILED: $*"; cat out err 2>/dev/null; exit 1; }

# The first earth-leakage reading comes 3 s late: the run is killed while it waits for it.
printf 'on mread 1 late 3000\n' >slow.scenario
cat >plan.xml <<'PLAN'
<KSV940Plan name="Killed and run again">
  <Calibrate/>
  <KSV940Test ID="8" PC="3" name="Earth leakage" max="500"/>
  <HighVoltageCheck/>
</KSV940Plan>
PLAN
"$ksv940" sim --pty --scenario slow.scenario --log sim.log >sim.out 2>&1 &
sim=$!
for _ in $(seq 50); do [ -s sim.out ] && break; sleep 0.1; done
pty=$(head -1 sim.out)

"$ksv940" run plan.xml --port "$pty" --operator auto --report first.json >out 2>err &
run=$!
for _ in $(seq 200); do grep -q 'in  mread' sim.log 2>/dev/null && break; sleep 0.05; done
grep -q 'in  mread' sim.log || fail "the run never reached its reading"
kill -9 "$run"
wait "$run" 2>/dev/null || true
run=0
grep -q '"outcome": *"incomplete"' first.json || fail "the killed run's report is not readable"
grep -q '"display": *"0.000 Ohm AC+DC"' first.json || fail "the zeroing is missing from the report"

status=0
"$ksv940" run plan.xml --port "$pty" --operator auto --report second.json >out 2>err || status=$?
[ "$status" = 0 ] || fail "the second run on the same port ended with $status"
grep -q '"outcome": *"completed"' second.json || fail "the second run did not complete"
[ "$(grep -c 'completed' out)" = 3 ] || fail "the second run did not complete its three steps"
echo "killed run: report readable, the port free again, the second run complete"
