#!/usr/bin/env bash
# Runs inside xvfb-run: quarnet-sim with a system file on a pseudo-terminal and
# Quarnet on the display. The operator presses Update All, confirms, takes a
# screenshot while the update runs, acknowledges the closing message, which comes
# once the units have restarted and were found again, presses Save System Logs, and closes the window. The
# simulator dumps its units' files into DUMP when it ends; the saved logs stay in
# WORK/VelantorLogFiles, its traffic log in WORK/traffic.log. With a FAULT for the
# simulator (vanish@N: the port goes away at the Nth reply) the run ends at the fatal
# error that follows: the operator acknowledges it and the program's exit code is
# passed on.
# With SUMMARY_SHOT set, a picture of the closing message is taken there; with
# SPEEDUP, the simulated system runs that many times as fast as real time.
# Usage: update_all_display.sh QUARNET QUARNET-SIM CLOSE-TOOL SYSTEM WORK DUMP SCREENSHOT.png [FAULT]
set -euo pipefail
source "$(dirname "$0")/../../tools/lib.sh"
quarnet=$1
simulator=$2
close_tool=$3
system=$4
work=$5
dump=$6
shot=$7
fault=${8:-}
cleanup() {
  kill "${quarnet_pid:-}" 2>/dev/null || true
  if [ -n "${simulator_pid:-}" ]; then
    kill "$simulator_pid" 2>/dev/null || true
    wait "$simulator_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
fail() {
  echo "$1"
  import -window root "$work/failure.png" 2>/dev/null || true
  tail -30 "$work"/LogFiles/*.log 2>/dev/null || true
  exit 1
}
wait_for_display
cp "$quarnet" "$work/quarnet"
mkdir -p "$work/dev" "$dump"
start_simulator "$work/sim.out" "$simulator" --system "$system" --link "$work/dev/com4" --dump "$dump" \
  --log "$work/traffic.log" ${fault:+--fault "$fault"} ${SPEEDUP:+--speedup "$SPEEDUP"} ||
  fail "the simulator did not start"
mkdir -p "$work/locks"
(cd "$work" && exec env VELANTORDEVDIR=dev VELANTORPORTLIST=COM4 VELANTORLOCKDIR=locks XDG_CONFIG_HOME="$work/config" \
  ./quarnet) \
  >"$work/out" 2>&1 &
quarnet_pid=$!
find_window '^Quarnet 6\.10r57$' 20 || fail "no main window"
window=$found_window
log() { cat "$work"/LogFiles/*.log 2>/dev/null; }
# Waits up to $2 tenths of a second for the log to hold $1 $3 times (default once).
wait_log() {
  for _ in $(seq "$2"); do
    [ "$(log | grep -c -- "$1")" -ge "${3:-1}" ] && return 0
    sleep 0.1
  done
  fail "the log never said: $1"
}
# Waits until the log has been quiet for a second.
wait_quiet() {
  local size=-1
  for _ in $(seq 300); do
    [ "$(log | wc -c)" = "$size" ] && return 0
    size=$(log | wc -c)
    sleep 1
  done
  fail "the log never went quiet"
}
# Waits until the log says $1 $2 times and has then been quiet for a second: the
# window has listed the system.
wait_listed() {
  wait_log 'Connecting to Velantor unit' 600 "$1"
  wait_quiet
}
# Clicks the button at (x, y) of the window's 750 x 450 point layout.
click() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" $(($1 * WIDTH / 750)) $(($2 * HEIGHT / 450)) click 1
}
# Answers the next message box titled $1 with its first button (OK); with $4, a
# picture of the box is taken there first.
answer() {
  local box=
  for _ in $(seq "$2"); do
    box=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) && [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "no message box $1"
  eval "$(xdotool getwindowgeometry --shell "$box")"
  sleep 0.3
  [ -z "${4:-}" ] || import -window "$box" "$4"
  xdotool mousemove --window "$box" $((WIDTH - 10 - $3 * 90 + 40)) $((HEIGHT - 28)) click 1
  for _ in $(seq 50); do xdotool search --name "^$1\$" >/dev/null 2>&1 || break; sleep 0.1; done
}
wait_listed 1
echo "connected"
click 57 405
answer Quarnet 100 2
echo "update confirmed"
if [ -n "$fault" ]; then
  started=$(date +%s)
  answer Error 3000 1
  echo "error acknowledged after $(($(date +%s) - started)) s"
  for _ in $(seq 200); do kill -0 "$quarnet_pid" 2>/dev/null || break; sleep 0.05; done
  status=0
  wait "$quarnet_pid" || status=$?
  quarnet_pid=
  echo "exit $status"
  exit 0
fi
wait_log 'Downloading software updates\|Programming \$' 3000
# The console window (titled by the program file) goes beside the main window, so
# that the screenshot shows both.
console=$(xdotool search --name '/quarnet$' 2>/dev/null | head -1) || true
[ -n "$console" ] && xdotool windowmove "$console" 1120 0
sleep 2
import -window root "$shot"
echo "screenshot taken"
answer Information 12000 1 "${SUMMARY_SHOT:-}"
echo "update finished"
wait_log '^.*Success: all operations are complete' 10
# The update ends with the system found again and listed.
wait_quiet
click 162 405
answer Information 3000 1
echo "logs saved"
"$close_tool" "$window"
for _ in $(seq 200); do kill -0 "$quarnet_pid" 2>/dev/null || break; sleep 0.05; done
status=0
wait "$quarnet_pid" || status=$?
quarnet_pid=
kill "$simulator_pid"
wait "$simulator_pid" || true
simulator_pid=
echo "exit $status"
