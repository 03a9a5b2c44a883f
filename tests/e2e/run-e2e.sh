#!/usr/bin/env bash
# tests/e2e/run-e2e.sh path/to/veltrana SCREENSHOT_DIR [-k scenario …]
#
# Runs veltrana_e2e.py in a private session D-Bus, where the accessibility bus
# starts on demand, on an X server of its own with a window manager
# (scripts/with-xvfb.sh), and with a home of its own: no user settings are
# read, nothing is left behind. The voice plays into a PulseAudio null sink
# unless there is none or VELTRANA_E2E_SOUND is 0. All started here ends with
# this script, and the run is cut short well before CTest's own limit.
# Without the tools to drive the program from outside, the exit status is 77:
# skipped.
set -euo pipefail

[[ $# -ge 2 ]] || { echo "usage: $0 VELTRANA SCREENSHOT_DIR [-k scenario …]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
for tool in dbus-run-session xdotool import; do
    command -v "$tool" >/dev/null || { echo "$0: $tool not found: skipped" >&2; exit 77; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "$0: no python3-pyatspi: skipped" >&2; exit 77; }
# shellcheck source=scripts/hogar-propio.sh
source "$scripts/hogar-propio.sh" veltrana-e2e

sound=()
if [[ ${VELTRANA_E2E_SOUND:-1} != 0 ]] && command -v pulseaudio pactl >/dev/null; then
    sound=("$scripts/with-null-sink.sh")
fi
mkdir -p "$2"
rm -f "$2"/*.png "$2"/*.log
# The buses' own messages go to a log; the driver's stay on this script's output.
setsid timeout --kill-after=10 500 dbus-run-session -- bash -c 'exec "$@" >&3 2>&4 3>&- 4>&-' \
    driver "$scripts/with-xvfb.sh" --openbox "${sound[@]}" /usr/bin/python3 "$here/veltrana_e2e.py" "$@" \
    3>&1 4>&2 >"$2/session.log" 2>&1 &
session=$!
wait "$session"
