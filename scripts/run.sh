#!/usr/bin/env bash
# Installs what is missing, builds Veltrano and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
exec build/dev/shell/veltrano
