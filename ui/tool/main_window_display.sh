#!/usr/bin/env bash
# Runs inside xvfb-run: quarnet-sim's demo system on a pseudo-terminal and Quarnet on
# the display, as an operator starts them. Waits until the main window shows and the
# system is listed, takes a screenshot, then closes the main window with its close box
# (or, with "console", starts Quarnet with -d and closes the console window instead)
# and passes on Quarnet's exit code. With "stop" the unit falls silent during the search
# and Quarnet gets SIGTERM while it waits for the unit's power cycle.
# Usage: main_window_display.sh QUARNET QUARNET-SIM CLOSE-TOOL SCREENSHOT.png [console|stop]
set -euo pipefail
source "$(dirname "$0")/../../tools/lib.sh"
quarnet=$1
simulator=$2
close_tool=$3
shot=$4
mode=${5:-main}
options=
[ "$mode" = console ] && options=-d
faults=
[ "$mode" = stop ] && faults="--fault mute@3"
work=$(mktemp -d)
cleanup() {
  kill "${simulator_pid:-}" "${quarnet_pid:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "$1"
  cat "$work/out" 2>/dev/null || true
  cat "$work"/LogFiles/*.log 2>/dev/null | tail -20 || true
  exit 1
}
wait_for_display
# The log goes beside the program.
cp "$quarnet" "$work/quarnet"
mkdir "$work/dev"
start_simulator "$work/sim.out" "$simulator" --link "$work/dev/com4" $faults || fail "the simulator did not start"

(cd "$work" && exec env VELANTORDEVDIR=dev VELANTORPORTLIST=COM4 XDG_CONFIG_HOME="$work/config" ./quarnet $options) \
  >"$work/out" 2>&1 &
quarnet_pid=$!
find_window '^Quarnet 6\.10r57$' || fail "no main window"
window=$found_window
echo "main window shown"
console=
if [ "$mode" = console ]; then
  # The console's title is the program file; it is moved aside so that it cannot hide
  # the list.
  console=$(xdotool search --name '/quarnet$' | head -1)
  [ -n "$console" ] || fail "no console window"
  xdotool windowmove "$console" 1200 0
fi
wait_for_exit() {
  for _ in $(seq 200); do kill -0 "$quarnet_pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$quarnet_pid" 2>/dev/null && fail "still running after $1"
  status=0
  wait "$quarnet_pid" || status=$?
  quarnet_pid=
  echo "exit $status"
}
if [ "$mode" = stop ]; then
  for _ in $(seq 200); do
    grep -qs 'please turn the unit power off and on now' "$work"/LogFiles/*.log && break
    sleep 0.05
  done
  grep -qs 'please turn the unit power off and on now' "$work"/LogFiles/*.log || fail "no power cycle wait"
  echo "waiting for the power cycle"
  import -window root "$shot"
  kill -TERM "$quarnet_pid"
  wait_for_exit "SIGTERM"
  grep -h 'Stopped by the operator\|stopped' "$work"/LogFiles/*.log
  exit 0
fi
# The list is watched as a person would: its third line (the last unit of the demo
# system) turns from empty to dark text.
eval "$(xdotool getwindowgeometry --shell "$window")"
listed=
for _ in $(seq 150); do
  darkest=$(import -window root -crop "180x12+$((X + 20))+$((Y + 90))" +repage -colorspace Gray \
    -format '%[fx:minima]' info: 2>/dev/null || echo 1)
  if awk "BEGIN { exit !($darkest < 0.3) }"; then listed=yes; break; fi
  sleep 0.1
done
[ -n "$listed" ] || fail "the units were not listed"
echo "units listed"
sleep 0.3
import -window root "$shot"
"$close_tool" "${console:-$window}"
wait_for_exit "its $mode window was closed"
grep -c 'RPC: ReadUnitInfo' "$work"/LogFiles/*.log | sed 's/^/units read: /'
exit "$status"
