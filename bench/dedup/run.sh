#!/usr/bin/env bash
# Duplicate finder benchmark: generates voucher rows with 10% repeats, times each stage
# (clipboard block, detection, working workbook, report, save) and then tallimo-cli dedup from
# the CSV file to the report workbook. Builds nothing: expects the build in build/ (or in
# $BUILD_DIR).
#
#     bash bench/dedup/run.sh [ROWS...]      (default: 100000 1000000)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
bench=$build/bench/tallimo-bench-dedup
cli=$build/tallimo-cli
python=/usr/bin/python3
[[ -x $python ]] || python=python3
for program in "$bench" "$cli"; do
  [[ -x $program ]] || { echo "Missing $program: build first (bash scripts/build.sh)." >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(100000 1000000)

for rows in "${sizes[@]}"; do
  echo
  echo "== $rows rows, 5 columns, keys over voucher, customer and amount, about 10% repeats"
  "$bench" "$rows" "$work/data.csv" "$work/bench.xlsx"
  rm -f "$work/bench.xlsx"
  "$python" - "$cli" "$work" "$rows" <<'PY'
import resource, subprocess, sys, time
cli, work, rows = sys.argv[1], sys.argv[2], int(sys.argv[3])
args = [cli, "dedup", "--input", work + "/data.csv", "--range", "A2:E%d" % (rows + 1),
        "--columns", "A,C,E", "--colors", "2,7", "--output", work + "/cli.xlsx"]
start = time.perf_counter()
done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
seconds = time.perf_counter() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu, peak = usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024
status = done.stdout.strip() if done.returncode == 0 else "exit %d: %s" % (
    done.returncode, done.stderr.strip())
print("tallimo-cli dedup, CSV to report .xlsx: %.2f s wall, %.2f s cpu, peak %.0f MiB (%s)"
      % (seconds, cpu, peak, status))
PY
done
