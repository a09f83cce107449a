#!/usr/bin/env bash
# Runs inside xvfb-run: starts the smoke form, clicks its button with xdotool as a
# person would, waits until the click reached the handler, takes a screenshot.
# Usage: fltk_smoke.sh FORM-PROGRAM SCREENSHOT.png
set -euo pipefail
program=$1
shot=$2
output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$program" >"$output" 2>&1 &
pid=$!
wait_for() {
  for _ in $(seq 200); do
    grep -q "^$1" "$output" && return 0
    sleep 0.05
  done
  echo "no '$1' from the form"; cat "$output"; kill "$pid"; exit 1
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
