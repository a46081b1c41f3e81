#!/usr/bin/env bash
# Duplicate finder benchmark: generates voucher rows with 10% repeats, times each stage
# (clipboard block, detection, working workbook, report, save) and then tallimo-cli dedup from
# the CSV file to the report workbook. Builds nothing: expects the build in build/ (or in
# $BUILD_DIR).
#
#     bash bench/dedup/run.sh [ROWS...]      (default: 100000 1000000)
source "$(dirname "$0")/../common.sh" bench/tallimo-bench-dedup tallimo-cli -- 100000 1000000 -- "$@"

for rows in "${sizes[@]}"; do
  echo
  echo "== $rows rows, 5 columns, keys over voucher, customer and amount, about 10% repeats"
  "$build/bench/tallimo-bench-dedup" "$rows" "$work/data.csv" "$work/bench.xlsx"
  rm -f "$work/bench.xlsx"
  "$python" "$root/bench/timed_run.py" --show-output "tallimo-cli dedup, CSV to report .xlsx" \
    "$build/tallimo-cli" dedup --input "$work/data.csv" --range "A2:E$((rows + 1))" \
    --columns A,C,E --colors 2,7 --output "$work/cli.xlsx"
done
