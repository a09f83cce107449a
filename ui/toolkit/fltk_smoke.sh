#!/usr/bin/env bash
# Runs inside xvfb-run: starts the smoke form, clicks its button with xdotool as a
# person would, waits until the click reached the handler, takes a screenshot.
# Usage: fltk_smoke.sh FORM-PROGRAM SCREENSHOT.png
set -euo pipefail
program=$1
shot=$2
output=$(mktemp)
trap 'rm -f "$output"' EXIT
# A busy machine may hand over the display before the server takes connections.
for _ in $(seq 100); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.05
done
"$program" >"$output" 2>&1 &
pid=$!
wait_for() {
  for _ in $(seq 200); do
    grep -q "^$1" "$output" && return 0
    sleep 0.05
  done
  echo "no '$1' from the form"; cat "$output"; kill "$pid" 2>/dev/null || true; exit 1
}
wait_for ready
read -r _ x y < <(grep '^ready' "$output")
# The window needs a moment to be mapped and drawn before it takes clicks.
sleep 0.5
xdotool mousemove "$x" "$y" click 1
wait_for clicked
sleep 0.5
import -window root "$shot"
kill -TERM "$pid"
wait "$pid"
cat "$output"
