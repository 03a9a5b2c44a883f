#!/usr/bin/env bash
# Runs a command inside its own session D-Bus, so that nothing Qt starts
# leaks a stray bus, and with no display or sound card assumed: screen tests
# use Qt's offscreen platform.
set -euo pipefail
exec dbus-run-session -- "$@"
