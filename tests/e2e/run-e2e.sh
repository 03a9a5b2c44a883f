#!/usr/bin/env bash
# Runs the real Veltrana the way a person and a screen reader use it:
#
#   tests/e2e/run-e2e.sh path/to/veltrana SCREENSHOT_DIR [scenario…]
#
# Starts a private X server (Xvfb, on a free display), the openbox window
# manager (so windows are activated and focused as on a desktop), and a
# private session D-Bus, in which the accessibility bus starts on demand;
# then runs veltrana_e2e.py, which starts the program once per scenario and
# drives it with xdotool and AT-SPI. Screenshots and the program's output go
# to SCREENSHOT_DIR. Everything started here is stopped on exit.
#
# The program's voice plays into a PulseAudio null sink when PulseAudio is
# installed (scripts/with-null-sink.sh), so speaking is exercised too; with
# VELTRANA_E2E_SOUND=0, or without PulseAudio, it runs without a sound device.
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 path/to/veltrana SCREENSHOT_DIR [scenario…]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program=$(realpath "$1")
shots=$2
shift 2

for tool in Xvfb openbox xdotool xprop import display dbus-run-session setsid; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL e2e: $tool is missing (bash scripts/install-deps.sh installs it)"
        exit 1
    fi
done
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "FAIL e2e: /usr/bin/python3 cannot import pyatspi (package python3-pyatspi)"
    exit 1
fi
if [[ ! -x $program ]]; then
    echo "FAIL e2e: $program is not an executable"
    exit 1
fi

mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/*.log
work=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-e2e.XXXXXX")
xvfb="" wm="" session=""

# shellcheck disable=SC2317  # reached through the trap
cleanup() {
    # The session runs in a process group of its own: the bus, the
    # accessibility services, the sound server, the driver and the program.
    [[ -n $session ]] && kill -TERM -- "-$session" 2>/dev/null && wait "$session" 2>/dev/null
    [[ -n $wm ]] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A home of its own: the window manager, the toolkit and the accessibility
# bus find no user settings, and leave nothing behind.
mkdir -p "$work"/{home,config,cache,data,runtime}
chmod 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache \
    XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY QT_QPA_PLATFORM \
    PULSE_SERVER SESSION_MANAGER

# Xvfb picks a free display and writes its number on the descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
done
if [[ ! -s $work/display ]]; then
    echo "FAIL e2e: Xvfb did not start"
    cat "$work/xvfb.log"
    exit 1
fi
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "FAIL e2e: openbox did not start"
    cat "$work/openbox.log"
    exit 1
fi
# A plain desktop colour instead of black, for readable screenshots.
timeout 10 display -window root -size 8x8 xc:'#5a7d9a' 2>/dev/null || true

driver=(/usr/bin/python3 "$here/veltrana_e2e.py" "$program" "$shots" "$@")
sound=()
if [[ ${VELTRANA_E2E_SOUND:-1} != 0 ]] && command -v pulseaudio >/dev/null && command -v pactl >/dev/null; then
    sound=("$root/scripts/with-null-sink.sh")
fi
echo "e2e: display $DISPLAY, $([[ ${#sound[@]} -gt 0 ]] && echo 'voice into a null sink' || echo 'no sound device')"

# The buses' own messages go to a log; the driver keeps this script's output.
set +e
setsid dbus-run-session -- bash -c 'exec "$@" >&3 2>&4 3>&- 4>&-' driver "${sound[@]}" "${driver[@]}" \
    3>&1 4>&2 >"$shots/session.log" 2>&1 &
session=$!
wait "$session"
status=$?
session=""
set -e
exit "$status"
