#!/usr/bin/env bash
# Installs what is missing, builds Veltrano and runs every test under a private X server.
# --asan builds and runs the same tests with address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=ci
case "${1:-}" in
  --asan) preset=asan ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--asan]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

# Qt WebEngine will not start as root with its sandbox on; only the test run turns it off.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QT_QPA_PLATFORM=xcb
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  ctest --preset "$preset" --output-on-failure --timeout 300
