#!/usr/bin/env bash
# Installs what is missing, builds Veltrano and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

if [ ! -x build/dev/shell/veltrano ]; then
  echo "The window does not exist yet: only the link-extraction libraries are built." >&2
  exit 1
fi
exec build/dev/shell/veltrano
