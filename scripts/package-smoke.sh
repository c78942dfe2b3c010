#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, uses the installed programs as a user would
# (the command-line analysis of the installed example, the verification problems, the desktop program
# under Xvfb until its main window shows) and removes the package again. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=build-pkg
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVANTO_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
(cd "$build" && rm -f ./*.deb && cpack -G DEB)
deb=$(ls "$build"/*.deb)
echo "== package: $deb"
dpkg-deb --info "$deb" | sed -n '/Depends/p'
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "./$deb" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp /usr/share/brevanto/examples/ExampleDam.qvxd "$work/"
if brevanto-cli --help | grep -q analyze; then
  echo "== brevanto-cli analyze"
  (cd "$work" && brevanto-cli analyze ExampleDam.qvxd)
  for ext in qvxo qvxp qvxr; do
    test -s "$work/ExampleDam.$ext" || { echo "no .$ext written"; exit 1; }
  done
  echo "== brevanto-cli verify"
  brevanto-cli verify
  echo "== brevanto-cli probabilistic"
  (cd "$work" && brevanto-cli probabilistic ExampleDam.qvxd --samples 200 --vary 'soil1.c=normal(300,60)[0,1000]' \
     --csv samples.csv)
  test -s "$work/samples.csv" || { echo "no sample table written"; exit 1; }
else
  brevanto-cli units "$work/ExampleDam.qvxd" "$work/si.qvxd" --to si
  test -s "$work/si.qvxd"
fi

echo "== brevanto under Xvfb"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  brevanto "$0" & pid=$!
  for i in $(seq 1 50); do
    if xwininfo -root -tree | grep -q "Brevanto"; then found=1; break; fi
    sleep 0.2
  done
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  [ "${found:-0}" = 1 ] || { echo "the main window did not show"; exit 1; }
  echo "main window found"' "$work/ExampleDam.qvxd"

echo "== remove"
apt-get remove -y -qq brevanto >/dev/null
if [ -e /usr/lib/brevanto ] || [ -e /usr/bin/brevanto ] || [ -e /usr/share/applications/com.keldor.Brevanto.desktop ]; then
  echo "files left after removal"; exit 1
fi
echo "package smoke test passed"
