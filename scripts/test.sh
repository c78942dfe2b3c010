#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build="${1:-build}"
shift || true
cmake -S . -B "$build" -G Ninja "$@"
cmake --build "$build" -j "$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
