#!/usr/bin/env bash
# Lets us hear what the Orca screen reader says while Veltrana is driven by keys:
#
#   scripts/orca-sesion.sh OUT_LOG "xdotool step" ["xdotool step" …]
#
#   e.g. scripts/orca-sesion.sh /tmp/orca.txt "key space" "type 4" "key Return"
#
# Everything runs on an X server of its own with a window manager
# (scripts/with-xvfb.sh --openbox), in a session D-Bus of its own, with a home
# of its own, and the voice plays into a PulseAudio null sink
# (scripts/with-null-sink.sh): no display or sound card is needed and nothing
# of the user's is read or touched. Each step is an xdotool command line
# ("key Return", "type 4", "key alt+r"), run about 1.5 s after the one before,
# which is the time Orca needs to speak.
#
# OUT_LOG gets what Orca said, one utterance a line, in order; Orca's whole
# debug log is kept beside it as OUT_LOG.debug. The program and Orca run in
# the locale VELTRANA_LOCALE names (es_ES.UTF-8 unless set), as a user's
# would; VELTRANA_BIN chooses the program (build/default/bin/veltrana).
# Without Orca or speech-dispatcher the exit status is 77: skipped.
set -euo pipefail

scripts=$(cd "$(dirname "$0")" && pwd)
STEP_PAUSE=${ORCA_STEP_PAUSE:-1.5}

# ---------------------------------------------------------------------------
# Inside the session (bus, X server, sound server): this same script again.
if [[ ${1:-} == --dentro ]]; then
    out=$2
    shift 2
    pids=()
    # shellcheck disable=SC2317  # reached through the trap
    stop_all() { ((${#pids[@]})) && kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null || true; }
    trap stop_all EXIT

    # Orca reads the setting, and so does the accessibility bus, which then
    # tells the toolkits that a screen reader runs. Setting the bus property
    # by hand while Orca runs makes Orca quit, so it is done here, before.
    gsettings set org.gnome.desktop.a11y.applications screen-reader-enabled true

    # speech-dispatcher of our own, up before Orca so that Orca finds it (its
    # client would spawn one otherwise, out of our sight and reach), and
    # heard to speak. It plays into the null sink: PULSE_SERVER comes from
    # with-null-sink.sh.
    mkdir -p "$XDG_CACHE_HOME/speechd"
    speech-dispatcher --run-single --timeout 0 --log-dir "$XDG_CACHE_HOME/speechd" &
    pids+=($!)
    for _ in $(seq 100); do
        [[ -S $XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock ]] && break
        sleep 0.1
    done
    timeout 20 spd-say --wait "Veltrana" ||
        { echo "$0: speech-dispatcher does not speak" >&2; exit 1; }

    # Orca writes its debug log as it goes but in blocks; the end of it only
    # when it ends, which it does cleanly on SIGTERM.
    orca --debug-file="$out.debug" &
    orca_pid=$!
    pids+=("$orca_pid")
    # Ready once Orca listens to keys and to focus changes on the
    # accessibility bus (its debug log cannot tell: it is not written yet).
    a11y=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.a11y.Bus.GetAddress | sed -E "s/^\('(.*)',\)$/\1/")
    ready=0
    for _ in $(seq 300); do
        kill -0 "$orca_pid" 2>/dev/null || { echo "$0: Orca ended early" >&2; exit 1; }
        if gdbus call --address "$a11y" --dest org.a11y.atspi.Registry \
               --object-path /org/a11y/atspi/registry/deviceeventcontroller \
               --method org.a11y.atspi.DeviceEventController.GetKeystrokeListeners 2>/dev/null |
               grep -q "'/"; then
            ready=1
            break
        fi
        sleep 0.1
    done
    ((ready)) || { echo "$0: Orca did not get ready" >&2; exit 1; }
    sleep 2 # its greeting, and the rest of its start

    "${VELTRANA_BIN:-build/default/bin/veltrana}" </dev/null &
    app_pid=$!
    pids+=("$app_pid")
    timeout 30 xdotool search --sync --onlyvisible --pid "$app_pid" >/dev/null ||
        { echo "$0: no window from the program" >&2; exit 1; }
    sleep "$STEP_PAUSE"

    for step in "$@"; do
        # shellcheck disable=SC2086  # a step is an xdotool command line
        xdotool $step
        sleep "$STEP_PAUSE"
    done

    # The program first, then Orca, each waited for: Orca writes the end of
    # its log as it ends.
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    sleep 0.5
    kill -TERM "$orca_pid"
    wait "$orca_pid" || true
    exit 0 # and speech-dispatcher stops with the rest
fi

# ---------------------------------------------------------------------------
# Outside: checks, a private home and locale, then the session.
if (($# < 1)); then
    echo "usage: $0 OUT_LOG \"xdotool step\" [\"xdotool step\" …]" >&2
    exit 2
fi
for tool in orca speech-dispatcher spd-say; do
    command -v "$tool" >/dev/null || { echo "$0: $tool not found: skipped" >&2; exit 77; }
done
for tool in dbus-run-session gsettings gdbus xdotool; do
    command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
out=$(realpath -m "$1")
shift
mkdir -p "$(dirname "$out")"
rm -f "$out" "$out.debug"

# shellcheck source=scripts/hogar-propio.sh
source "$scripts/hogar-propio.sh" veltrana-orca

# The chosen locale, for the program and for Orca (which then speaks
# Spanish), built here if the machine lacks it: glibc has to know it.
lang=${VELTRANA_LOCALE:-es_ES.UTF-8}
known=${lang,,} # as locale -a spells it: es_ES.utf8
if ! LC_ALL=C locale -a | grep -qixF "${known/.utf-8/.utf8}"; then
    mkdir -p "$work/locale"
    LC_ALL=C localedef -i "${lang%%.*}" -f UTF-8 "$work/locale/$lang" ||
        { echo "$0: could not build the locale $lang" >&2; exit 1; }
    export LOCPATH=$work/locale
fi
unset LANGUAGE

# The whole session is a process group of its own, stopped with this script.
# Orca refuses to start while another Orca of the same user runs anywhere on
# the machine; where a process namespace can be had, it sees only ours.
isolate=()
unshare --pid --fork --mount-proc true 2>/dev/null && isolate=(unshare --pid --fork --mount-proc)
LC_ALL=$lang LANG=$lang setsid "${isolate[@]}" timeout --kill-after=10 $((120 + 5 * $#)) \
    dbus-run-session -- "$scripts/with-xvfb.sh" --openbox "$scripts/with-null-sink.sh" \
    "$0" --dentro "$out" "$@" >"$work/session.log" 2>&1 &
session=$!
status=0
wait "$session" || status=$?
session=""
[[ $status == 0 ]] || { cat "$work/session.log" >&2; exit "$status"; }

# Only what was spoken, one utterance a line: Orca logs each one as
#   SPEECH OUTPUT: 'text'{voice}   or   'text' voice=uppercase{voice}
# and a key it echoes with a space after its name. A text may span lines.
perl -0777 -ne 'while (/SPEECH OUTPUT: \x27(.*?)\x27(?: voice=\w+)? ?(?:\[?\{[^\n]*)?$/gms) {
    ($u = $1) =~ s/\s+/ /g; $u =~ s/^ | $//g; print "$u\n" }' "$out.debug" >"$out"
