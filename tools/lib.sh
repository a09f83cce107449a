# Shell functions for the scripts that start quarnet-sim and Quarnet as an operator
# would (./run, tools/screenshots, the display tests' scripts). Source it.

# Starts the simulator command given after OUT, its output into OUT, and waits up to
# five seconds for its "ready" line. Sets simulator_pid; false (with the output on
# standard error) when it did not start.
start_simulator() {
  local out=$1
  shift
  "$@" >"$out" 2>&1 &
  simulator_pid=$!
  for _ in $(seq 100); do
    grep -q '^ready' "$out" && return 0
    sleep 0.05
  done
  cat "$out" >&2
  return 1
}

# A busy machine may hand over the X display before its server takes connections.
wait_for_display() {
  for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# The first window whose title matches the pattern, within the seconds given (ten
# unless given); sets found_window, false when none showed.
find_window() {
  found_window=
  for _ in $(seq $((${2:-10} * 20))); do
    found_window=$(xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$found_window" ] && return 0
    sleep 0.05
  done
  return 1
}
