#!/usr/bin/env bash
# Under Xvfb: the desktop program opens a copy of the example with a typo on line 13 ("2OO."), the
# user accepts the reading error and presses Run Analysis; the file on disk must stay byte for byte
# as it was. Drives the real main window (test tst_mainform_runs) on the X11 platform, with the real
# engine library of the build. Usage: scripts/check-damaged-run.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
test_program="$build/tests/app/tst_mainform_runs"
[ -x "$test_program" ] || { echo "build $test_program first"; exit 1; }
engine_dir="$build/src"
[ -f "$engine_dir/libQUOLM2015_DLL.so" ] || engine_dir="$build/tests/app/engine-entry"
echo "== engine: $engine_dir"
BREVANTO_CHECK_ENGINE_DIR="$(cd "$engine_dir" && pwd)" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$test_program" damagedExampleRunKeepsTheFile
echo "== the damaged file stayed byte-identical"
