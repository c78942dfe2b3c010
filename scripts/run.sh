#!/usr/bin/env bash
# Installs what is needed, builds, and runs the command-line program on a sample entry.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)"
./build/src/cli/brevanto-cli eval "2*(3+4)"
