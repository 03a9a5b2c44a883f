#!/usr/bin/env bash
# Runs a command on an X server of its own, started on a free display:
#
#   scripts/with-xvfb.sh [--openbox] command [arguments...]
#
# Xvfb picks the display itself (-displayfd) and says which once it accepts
# clients; the command sees it in DISPLAY. With --openbox a window manager
# runs too, so that windows get frames and are activated and focused as on a
# desktop. Everything started here stops with the command, whose exit status
# is ours. Without Xvfb (or openbox, when asked for) the exit status is 77,
# which CTest reads as a skipped test.
set -uo pipefail

wm=0
if [[ ${1:-} == --openbox ]]; then
    wm=1
    shift
fi
if (($# == 0)); then
    echo "usage: $0 [--openbox] command [arguments...]" >&2
    exit 2
fi
for tool in Xvfb $( ((wm)) && echo openbox xprop); do
    command -v "$tool" >/dev/null || { echo "$0: $tool not found: skipped" >&2; exit 77; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-xvfb.XXXXXX") || exit 1
pids=()
# shellcheck disable=SC2317  # reached through the traps
cleanup() {
    ((${#pids[@]})) && kill "${pids[@]}" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# -noreset: the server would otherwise reset whenever its last client left,
# and refuse the next one meanwhile.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do
    [[ -s $dir/display ]] && break
    kill -0 "${pids[0]}" 2>/dev/null || break
    sleep 0.05
done
[[ -s $dir/display ]] || { cat "$dir/xvfb.log" >&2; echo "$0: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")"

if ((wm)); then
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.05
    done
fi

"$@"
