#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the
# normal build and under AddressSanitizer + UndefinedBehaviorSanitizer.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh pruebas

failed=()
for preset in default asan; do
  echo "=== ${preset}: build ==="
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  echo "=== ${preset}: tests ==="
  bash scripts/test-session.sh ctest --preset "$preset" -j2 || failed+=("$preset")
done

if ((${#failed[@]})); then
  echo "FAILED in: ${failed[*]}"
  exit 1
fi
echo "All tests passed in the normal and the sanitizer build."
