# Sourced by the per-job benchmark scripts: the build to time, a Python, a scratch folder removed
# on exit, and the sizes given on the command line or the script's defaults.
#
#     source bench/common.sh PROGRAM... -- DEFAULT_SIZE... -- "$@"
# sets root, build, python, work and sizes (the script's arguments, else the defaults); ends the
# script when a program is missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
python=/usr/bin/python3
[[ -x $python ]] || python=python3
while [[ $1 != -- ]]; do
  [[ -x $build/$1 ]] || { echo "Missing $build/$1: build first (bash scripts/build.sh)." >&2; exit 1; }
  shift
done
shift
sizes=()
while [[ $1 != -- ]]; do
  sizes+=("$1")
  shift
done
shift
[[ $# -eq 0 ]] || sizes=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
