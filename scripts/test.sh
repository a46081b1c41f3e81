#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole suite. Non-zero exit on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
# LibreOffice Calc for the Calc extension's test; the build and the demo do without it.
bash "$root/scripts/setup-calc.sh"
cd "$root/build"
# Window tests need an X server; one private Xvfb serves the whole run. Without -noreset the
# server resets whenever its last client leaves and turns away whoever connects meanwhile.
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure -j "$(nproc)" --timeout 600
