#!/usr/bin/env bash
# Installs what is missing, builds Veltrana and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh programa
cmake --preset default
cmake --build --preset default --target veltrana
exec build/default/bin/veltrana "$@"
