#!/usr/bin/env bash
# Sets up, builds and shows the toolset's main job on the bundled examples.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
echo
echo "Built programs:"
find "$root/build" -maxdepth 2 -type f -executable \( -path '*/Data/*' -o -name 'launcher' -o -name 'tallimo-*' \) | sort
