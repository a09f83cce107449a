#!/usr/bin/env bash
# Runs inside xvfb-run: starts the smoke program, checks that its console window came
# up, clicks the form's button with xdotool as a person would, waits until the click
# reached the handler, and takes a screenshot of the screen with both windows; with a
# third argument, also one of the console window alone.
# Usage: fltk_smoke.sh FORM-PROGRAM SCREENSHOT.png [CONSOLE-SCREENSHOT.png]
set -euo pipefail
program=$1
shot=$2
console_shot=${3:-}
output=$(mktemp)
trap 'rm -f "$output"' EXIT
# A busy machine may hand over the display before the server takes connections.
for _ in $(seq 100); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.05
done
"$program" >"$output" 2>&1 &
pid=$!
fail() {
  echo "$1"; cat "$output"; kill "$pid" 2>/dev/null || true; exit 1
}
wait_for() {
  for _ in $(seq 200); do
    grep -q "^$1" "$output" && return 0
    sleep 0.05
  done
  fail "no '$1' from the form"
}
# The id of the top-level window titled exactly $1.
find_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}
wait_for ready
read -r _ x y < <(grep '^ready' "$output")
console=$(find_window "Quarnet smoke console") || fail "no console window"
form=$(find_window "Quarnet smoke test") || fail "no form window"

# Without a window manager the console comes up where the form is: it goes to the
# form's right, cut to the screen's height, so that the screenshot shows both. The
# form stays put, or the button would no longer be where the form said.
eval "$(xdotool getwindowgeometry --shell "$form" | sed 's/^/FORM_/')"
eval "$(xdotool getwindowgeometry --shell "$console" | sed 's/^/CONSOLE_/')"
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
if [ $((CONSOLE_X)) -lt $((FORM_X + FORM_WIDTH)) ] && [ $((FORM_X)) -lt $((CONSOLE_X + CONSOLE_WIDTH)) ] &&
   [ $((CONSOLE_Y)) -lt $((FORM_Y + FORM_HEIGHT)) ] && [ $((FORM_Y)) -lt $((CONSOLE_Y + CONSOLE_HEIGHT)) ]; then
  xdotool windowmove "$console" $((FORM_X + FORM_WIDTH + 20)) 0
fi
if [ $((CONSOLE_HEIGHT)) -gt $((screen_height)) ]; then
  xdotool windowsize "$console" "$CONSOLE_WIDTH" "$screen_height"
fi
echo "screen ${screen_width}x${screen_height}, console $console, form $form"

# The windows need a moment to be mapped and drawn before they take clicks.
sleep 0.5
xdotool mousemove "$x" "$y" click 1
wait_for clicked
sleep 0.5
import -window root "$shot"
[ -z "$console_shot" ] || import -window "$console" "$console_shot"
kill -TERM "$pid"
wait "$pid" || fail "the form did not end cleanly (status $?)"
cat "$output"
