#!/usr/bin/env bash
# The benchmark in one run: for each size it prints, side by side in one Markdown table,
#   - tallimo-cli reconcile: two generated ledger CSV files of ROWS rows each (six columns,
#     compared by 日期, sums 借方金额 and 贷方金额, so two passes; about 10% differences) to the
#     fully formatted result .xlsx; wall and CPU seconds and peak resident memory of the whole
#     process, from its start to its exit; and the same run with --suggest --balance-statement
#     (the near-miss sheets and the balance statement), set against the run without them;
#   - pandas doing the bare grouping (bench/reconcile/pandas_group.py --csv): read both CSV
#     files, group one side pair (日期|借方金额) by key with counts, classify, write a CSV file;
#     once with counts only and once with each group's row list as well. Its wall and CPU
#     seconds are the script's work from the start of reading to the end of writing (starting
#     Python and importing pandas not counted); its peak is the whole Python process's;
#   - the bare writing limit (bench/deflate_limit.py): the uncompressed XML parts of the result
#     .xlsx tallimo-cli wrote, held in memory, through zlib level 1 raw deflate, on one core and
#     on two (1 MiB blocks, two threads);
#   - tallimo-cli dedup: ROWS voucher rows (five columns, every tenth row a repeat) to the
#     report .xlsx, with the same writing limit for its report;
# and the ratios tallimo-cli ÷ each, in wall and in CPU seconds; then whether the targets hold,
# each with the two-core deflate time of the result's own XML beside it.
# Figures are medians of --repeats runs (default 3); sizes of 1,000,000 rows and more run
# --large-repeats times (default 1). The table goes to standard output, progress to standard
# error.
#
#     bash bench/run.sh [--repeats N] [--large-repeats N] [ROWS...]   (default: 50000 200000 1000000)
#
# Builds nothing: expects tallimo-cli in build/ (or in $BUILD_DIR), built in a release
# configuration (scripts/build.sh). Needs Debian's python3 and python3-pandas
# (apt-get install python3 python3-pandas; scripts/setup.sh installs them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cli=$build/tallimo-cli
python=/usr/bin/python3
[[ -x $python ]] || python=python3
[[ -x $cli ]] || { echo "Missing $cli: build first (bash scripts/build.sh)." >&2; exit 1; }
"$python" -c 'import pandas' 2>/dev/null ||
  { echo "pandas is missing: apt-get install python3-pandas" >&2; exit 1; }
exec "$python" "$root/bench/summary.py" --cli "$cli" "$@"
