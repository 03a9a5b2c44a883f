#!/usr/bin/env bash
# Starts Veltrana in its own X server and saves a screenshot of the screen:
#   scripts/screenshot.sh OUT.png [seconds to wait] [xdotool commands…]
# The xdotool arguments, if any, run after the wait (e.g. "type 4" "key Return").
set -euo pipefail
out=${1:?usage: screenshot.sh OUT.png [wait] [xdotool args…]}
wait_s=${2:-2}
shift $(( $# >= 2 ? 2 : 1 ))
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${VELTRANA_BIN:-$root/build/default/bin/veltrana}

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wm=""
trap 'kill $app $wm $xvfb 2>/dev/null || true' EXIT
sleep 1
# A window manager draws the title bars and hands focus back as a desktop does.
if command -v openbox >/dev/null; then
  DISPLAY=$display openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
fi
DISPLAY=$display dbus-run-session -- "$bin" >/dev/null 2>&1 &
app=$!
sleep "$wait_s"
for step in "$@"; do
  # shellcheck disable=SC2086
  DISPLAY=$display xdotool $step
  sleep 0.5
done
DISPLAY=$display import -window root "$out"
echo "saved $out"
