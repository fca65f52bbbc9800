#!/usr/bin/env bash
# A run killed outright (kill -9) in the middle of a test, on the simulated analyzer's
# pseudo-terminal, once with its results in an SQLite file and once on a PostgreSQL server of the
# script's own: the report of the killed run stays readable and holds the steps it finished; the
# store passes its integrity check and holds the run as incomplete with the step it finished; a
# second run on the same port finds it free, runs the plan to the end and is stored whole.
#
#   KilledRun.sh KSV940
set -euo pipefail
sandbox="$(cd "$(dirname "$0")/../.." && pwd)/scripts/pg-sandbox"
source "$(dirname "$0")/SimulatedLab.sh"

# killed_run DB CHECK QUERY: the killed run and the second one with --db DB; CHECK runs the store's
# integrity check, QUERY SQL prints the rows of a query, columns separated by "|".
killed_run() {
  local db=$1 check=$2 query=$3
  rm -f first.json first.xml second.json
  # The first earth-leakage reading comes 3 s late: the run is killed while it waits for it.
  start_sim 'on mread 1 late 3000'
  "$ksv940" run plan.xml --port "$pty" --operator auto --db "$db" --report first.json \
    --report first.xml >out 2>err &
  local run=$!
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

  $check >check.out 2>&1 || { cat check.out; fail "$db: the killed run's store fails its integrity check"; }
  local sql="SELECT r.outcome, r.verdict, s.idx, s.state FROM runs r LEFT JOIN steps s ON s.run_id = r.id ORDER BY r.id, s.idx"
  [ "$($query "$sql")" = "incomplete|incomplete|1|completed" ] ||
    fail "$db: the killed run is not stored as incomplete with its one finished step: $($query "$sql")"

  local status=0
  "$ksv940" run plan.xml --port "$pty" --operator auto --db "$db" --report second.json >out 2>err || status=$?
  [ "$status" = 0 ] || fail "the second run on the same port ended with $status"
  grep -q '"outcome": *"completed"' second.json || fail "the second run did not complete"
  [ "$(grep -c 'completed' out)" = 3 ] || fail "the second run did not complete its three steps"
  $check >check.out 2>&1 || { cat check.out; fail "$db: the store fails its integrity check"; }
  [ "$($query "$sql" | tail -n +2 | tr '\n' ' ')" = "completed|pass|1|completed completed|pass|2|completed completed|pass|3|completed " ] ||
    fail "$db: the second run is not stored whole: $($query "$sql")"
  echo "killed run on $db: report readable, store consistent, the port free again, the second run complete"
}

command -v sqlite3 >/dev/null || fail "the sqlite3 program is not installed: scripts/setup installs it"
sqlite_check() { [ "$(sqlite3 results.db 'PRAGMA integrity_check')" = ok ]; }
sqlite_query() { sqlite3 results.db "$1"; }
killed_run results.db sqlite_check sqlite_query

if [ ! -x /usr/lib/postgresql/15/bin/initdb ]; then
  echo "PostgreSQL not tested: its server is not installed (scripts/setup installs it)"
  exit 0
fi
pg=$(mktemp -d /tmp/ksvkill-XXXXXX)
"$sandbox" start "$pg" >/dev/null || fail "the PostgreSQL server did not start"
trap '"$sandbox" stop "$pg"; cleanup' EXIT
url=$("$sandbox" createdb "$pg" killed)
pg_check() { "$sandbox" check "$pg" killed; }
pg_query() { psql -X -q -A -t -h "$pg" -U ksv940 -d killed -c "$1"; }
killed_run "$url" pg_check pg_query
