# shellcheck shell=bash
# Sourced by the scripts that run the program on a desktop of their own:
#   source scripts/hogar-propio.sh NAME
# Makes $work, a folder with a home and XDG directories of its own, set
# before any session bus starts: the buses it starts (the accessibility bus
# among them) put their sockets and settings there, out of any other
# session's way. Clears what would reach a desktop or a sound server outside.
# At exit, the session's process group ($session, once the caller sets it)
# is ended and $work removed.
work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
session=""
# shellcheck disable=SC2317  # reached through the trap
cleanup() {
    [[ -z $session ]] || kill -TERM -- "-$session" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

mkdir -p "$work"/{home,config,cache,data,runtime} && chmod 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache \
    XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
unset DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS WAYLAND_DISPLAY \
    QT_QPA_PLATFORM QT_ACCESSIBILITY QT_LINUX_ACCESSIBILITY_ALWAYS_ON \
    PULSE_SERVER SESSION_MANAGER SPEECHD_ADDRESS
