#!/usr/bin/env bash
# A run killed outright (kill -9) in the middle of a test, on the simulated analyzer's
# pseudo-terminal: the report of the killed run stays readable and holds the steps it finished;
# a second run on the same port finds it free and runs the plan to the end.
#
#   KilledRun.sh KSV940
set -euo pipefail
source "$(dirname "$0")/SimulatedLab.sh"

# The first earth-leakage reading comes 3 s late: the run is killed while it waits for it.
start_sim 'on mread 1 late 3000'
"$ksv940" run plan.xml --port "$pty" --operator auto --db results.db --report first.json \
  --report first.xml >out 2>err &
run=$!
pids+=("$run")
for _ in $(seq 200); do grep -q 'in  mread' sim.log 2>/dev/null && break; sleep 0.05; done
grep -q 'in  mread' sim.log || fail "the run never reached its reading"
kill -9 "$run"
wait "$run" 2>/dev/null || true
grep -q '"outcome": *"incomplete"' first.json || fail "the killed run's report is not readable"
grep -q '"display": *"0.000 Ω AC+DC"' first.json || fail "the zeroing is missing from the report"
grep -q '"state": *"running"' first.json || fail "the step in progress is not running"
[ "$(grep -c '"state": *"not run"' first.json)" = 1 ] || fail "the step after it is not 'not run'"
grep -q 'errors="2"' first.xml || fail "the killed run's JUnit report counts no errors"
grep -q '<error message="the run did not finish"' first.xml || fail "JUnit: no unfinished run"
grep -q '^1/3  Zero the test leads .* completed$' out || fail "the finished step's line is missing"

status=0
"$ksv940" run plan.xml --port "$pty" --operator auto --db results.db --report second.json >out 2>err || status=$?
[ "$status" = 0 ] || fail "the second run on the same port ended with $status"
grep -q '"outcome": *"completed"' second.json || fail "the second run did not complete"
[ "$(grep -c 'completed' out)" = 3 ] || fail "the second run did not complete its three steps"
echo "killed run: report readable, the port free again, the second run complete"
