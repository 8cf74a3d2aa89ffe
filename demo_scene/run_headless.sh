#!/usr/bin/env bash
# Runs the demo on the current display with nobody at it: answers the
# start-up question "No" with the keyboard, lets the scene run, saves a
# screenshot of the screen as PNG, and ends the demo with Escape.
#   run_headless.sh DEMO XSHOT OUT.png [SECONDS]
set -euo pipefail
demo=$1 xshot=$2 out=$3 seconds=${4:-3}

# Keys go to the window with the keyboard focus: wait until it has it.
wait_for_focus() {
  local id=$1
  for _ in $(seq 1 400); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && return 0
    sleep 0.05
  done
  echo "run_headless: window $id never took the keyboard" >&2
  return 1
}

wait_for_window() {
  local title=$1
  for _ in $(seq 1 400); do
    if id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1) && [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || { echo "run_headless: the demo ended early" >&2; return 1; }
    sleep 0.05
  done
  echo "run_headless: no window titled '$title' appeared" >&2
  return 1
}

"$demo" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

question=$(wait_for_window 'Video!')
wait_for_focus "$question"
xdotool key n
scene=$(wait_for_window 'Gabbia creata con texture sprite')
wait_for_focus "$scene"
sleep "$seconds"
"$xshot" "$out"
xdotool key Escape
status=0
wait "$pid" || status=$?
trap - EXIT
if [ "$status" -ne 0 ]; then
  echo "run_headless: the demo ended with status $status" >&2
  exit "$status"
fi
