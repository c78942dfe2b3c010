#!/usr/bin/env bash
# Installs what is needed, builds, and runs the command-line program on the bundled example model:
# loads it, switches it to SI units and prints the file it writes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build -j "$(nproc)"
./build/src/cli/brevanto-cli units resources/examples/ExampleDam.qvxd build/ExampleDam-SI.qvxd --to si
cat build/ExampleDam-SI.qvxd
