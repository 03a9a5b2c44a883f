#!/usr/bin/env bash
# Starts Veltrana on an X server of its own, with a window manager, and saves
# a screenshot of the screen:
#   scripts/screenshot.sh OUT.png [seconds to wait] [xdotool commands…]
# The xdotool arguments, if any, run after the wait (e.g. "type 4" "key Return").
set -euo pipefail
out=$(realpath -m "${1:?usage: screenshot.sh OUT.png [wait] [xdotool args…]}")
wait_s=${2:-2}
shift $(($# >= 2 ? 2 : 1))
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${VELTRANA_BIN:-$root/build/default/bin/veltrana}

exec "$root/scripts/with-xvfb.sh" --openbox bash -c '
    bin=$1 out=$2 wait_s=$3
    shift 3
    dbus-run-session -- "$bin" ${VELTRANA_ARGS:-} >/dev/null 2>&1 &
    app=$!
    trap "kill $app 2>/dev/null" EXIT
    sleep "$wait_s"
    for step in "$@"; do
        # shellcheck disable=SC2086
        xdotool $step
        sleep 0.5
    done
    import -window root "$out"
    echo "saved $out"' _ "$bin" "$out" "$wait_s" "$@"
