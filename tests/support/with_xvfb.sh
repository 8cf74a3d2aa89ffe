#!/usr/bin/env bash
# Runs a command on a virtual X server of its own, so that tests can run in
# parallel and on machines without a display. The screen size comes from
# SORVEL_XVFB_SCREEN (default 1024x768x24).
set -euo pipefail

screen=${SORVEL_XVFB_SCREEN:-1024x768x24}
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset +extension GLX +extension RENDER \
  3>"$work/display" 2>"$work/xvfb.log" &
server=$!
cleanup() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for _ in $(seq 1 400); do
  if [ -s "$work/display" ]; then break; fi
  if ! kill -0 "$server" 2>/dev/null; then
    echo "with_xvfb: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  sleep 0.025
done
if [ ! -s "$work/display" ]; then
  echo "with_xvfb: Xvfb gave no display number in 10 s" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
"$@"
