#!/usr/bin/env bash
# Runs a command with a PulseAudio null sink as the default sound output, so
# that speech really plays (and can be recorded from the sink's monitor) on a
# machine without a sound card.
#
#   scripts/with-null-sink.sh build/default/bin/test_speech
#
# If a PulseAudio server is already reachable, a null sink is added to it and
# made the default for the duration of the command, then removed and the old
# default restored. Otherwise a private server is started for the command
# (also as root, which needs no system mode) and stopped afterwards.
# The command sees VELTRANA_NULL_SINK=<sink name>, and VELTRANA_PULSE_PID
# when the server is its own; its exit status is ours.
# With no PulseAudio to use or start, the exit status is 77, which CTest
# reads as a skipped test.

set -u

if [ $# -eq 0 ]; then
    echo "usage: $0 command [arguments...]" >&2
    exit 2
fi

SINK="veltrana_null_$$"
TMPDIR_PULSE=""
DAEMON_PID=""
MODULE_ID=""
PREVIOUS_SINK=""

server_up() {
    pactl info >/dev/null 2>&1
}

# shellcheck disable=SC2317  # only ever reached through the traps
cleanup() {
    if [ -n "$MODULE_ID" ]; then
        if [ -n "$PREVIOUS_SINK" ]; then
            pactl set-default-sink "$PREVIOUS_SINK" >/dev/null 2>&1
        fi
        pactl unload-module "$MODULE_ID" >/dev/null 2>&1
    fi
    if [ -n "$DAEMON_PID" ]; then
        kill "$DAEMON_PID" 2>/dev/null
        wait "$DAEMON_PID" 2>/dev/null
        # A server the command started again in its place
        [ -n "$TMPDIR_PULSE" ] && pkill -f -- "socket=$TMPDIR_PULSE/native" 2>/dev/null
    fi
    if [ -n "$TMPDIR_PULSE" ]; then
        rm -rf "$TMPDIR_PULSE"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if ! command -v pactl >/dev/null 2>&1; then
    echo "$0: pactl not found (package pulseaudio-utils): skipped" >&2
    exit 77
fi

if server_up; then
    PREVIOUS_SINK=$(pactl get-default-sink 2>/dev/null || true)
    MODULE_ID=$(pactl load-module module-null-sink "sink_name=$SINK" \
        "sink_properties=device.description=Veltrana_null_sink") || {
        echo "$0: could not load module-null-sink" >&2
        exit 1
    }
    pactl set-default-sink "$SINK" || exit 1
else
    if ! command -v pulseaudio >/dev/null 2>&1; then
        echo "$0: no PulseAudio server and no pulseaudio to start: skipped" >&2
        exit 77
    fi
    TMPDIR_PULSE=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-pulse.XXXXXX") || exit 1
    mkdir -p "$TMPDIR_PULSE/run" "$TMPDIR_PULSE/state"
    # A server of our own, in a directory of our own: -n skips the system
    # configuration (no hardware detection, no D-Bus), the socket accepts any
    # local client without a cookie, and the null sink is its only output.
    PULSE_RUNTIME_PATH="$TMPDIR_PULSE/run" PULSE_STATE_PATH="$TMPDIR_PULSE/state" \
        pulseaudio -n --daemonize=no --use-pid-file=no --system=false \
        --exit-idle-time=-1 --disallow-exit \
        --log-target=stderr --log-level=error \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$TMPDIR_PULSE/native" \
        --load="module-null-sink sink_name=$SINK sink_properties=device.description=Veltrana_null_sink" &
    DAEMON_PID=$!
    export PULSE_SERVER="unix:$TMPDIR_PULSE/native"
    # Ours to stop, kill and start again: tests of a failing server use it.
    export VELTRANA_PULSE_PID="$DAEMON_PID"
    for _ in $(seq 1 50); do
        server_up && break
        if ! kill -0 "$DAEMON_PID" 2>/dev/null; then
            echo "$0: pulseaudio did not start" >&2
            DAEMON_PID=""
            exit 1
        fi
        sleep 0.1
    done
    if ! server_up; then
        echo "$0: pulseaudio did not answer" >&2
        exit 1
    fi
    pactl set-default-sink "$SINK" || exit 1
fi

export VELTRANA_NULL_SINK="$SINK"
"$@"
exit $?
