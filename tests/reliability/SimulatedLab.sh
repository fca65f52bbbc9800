# Sourced by the real-time reliability scripts: a scratch directory that goes away with every
# process started into $pids, fail(), a three-step plan (a zeroing, an earth-leakage test, a
# high-voltage check) in plan.xml, and start_sim SCENARIO, which serves the simulated analyzer
# with that scenario on a pseudo-terminal (traffic in sim.log) and sets $pty.
ksv940=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
fail() { echo "FAILED: $*"; cat out err 2>/dev/null; exit 1; }

cat >plan.xml <<'PLAN'
<KSV940Plan name="Three steps">
  <Calibrate/>
  <KSV940Test ID="8" PC="3" name="Earth leakage" max="500"/>
  <HighVoltageCheck/>
</KSV940Plan>
PLAN

start_sim() {
  printf '%s\n' "$1" >sim.scenario
  "$ksv940" sim --pty --scenario sim.scenario --log sim.log >sim.out 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -s sim.out ] && break; sleep 0.1; done
  pty=$(head -1 sim.out)
}
