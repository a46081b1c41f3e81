#!/usr/bin/env bash
# Reconciliation benchmark: generates 2 x 50,000 and 2 x 1,000,000 rows of ledger-like CSV data
# in a temporary folder, times each stage of the batch reconciliation, sets the grouping and
# classification against pandas, and times tallimo-cli from the CSV files to the result .xlsx.
# Builds nothing: expects the build in build/ (or in $BUILD_DIR).
#
#     bash bench/reconcile/run.sh [ROWS...]      (default: 50000 1000000)
source "$(dirname "$0")/../common.sh" bench/tallimo-bench-reconcile tallimo-cli -- 50000 1000000 -- "$@"
bench=$build/bench/tallimo-bench-reconcile

for rows in "${sizes[@]}"; do
  echo
  echo "== 2 x $rows rows: compare 日期, sums 借方金额/贷方金额 (two passes), about 10% differences"
  "$python" "$root/bench/reconcile/make_data.py" "$rows" "$work"
  "$bench" "$work/left.csv" "$work/right.csv" "$rows" "$work/bench.xlsx" | tee "$work/bench.txt" |
    grep -v '^grouping-seconds'
  read -r _ ours classes_ours < <(grep '^grouping-seconds' "$work/bench.txt" | sed 's/classes//')
  pandas_json=$("$python" "$root/bench/reconcile/pandas_group.py" "$work/left.csv" "$work/right.csv")
  "$python" - "$ours" "$pandas_json" "$classes_ours" "$work/bench.txt" <<'PY'
import json, re, sys
ours, pandas, classes = float(sys.argv[1]), json.loads(sys.argv[2]), sys.argv[3].split()
order = ["matched", "left_more", "right_more", "left_only", "right_only"]
theirs = [str(pandas["classes"][p].get(c, 0)) for p in ("pass1", "pass2") for c in order]
print("grouping and classification (cpu s): %.3f here, %.3f pandas: %.1fx faster (classes %s)"
      % (ours, pandas["cpu"], pandas["cpu"] / ours,
         "agree" if theirs == classes else "DIFFER: %s vs %s" % (classes, theirs)))
# The conclusions' amounts against the exact decimal sums: no rounding noise in the digits shown.
with open(sys.argv[4], encoding="utf-8") as f:
    lines = [line for line in f if line.startswith("结论")]
shown = [a for line in lines for a in re.findall(r"合计([^,\s]+)", line)]
exact = pandas["amounts"]["pass1"] + pandas["amounts"]["pass2"]
print("conclusion amounts %s: %s" % (" ".join(shown), "exact" if shown == exact
                                     else "DIFFER from the decimal sums %s" % " ".join(exact)))
PY
  # The front end itself, CSV to result .xlsx, with its peak memory.
  "$python" "$root/bench/timed_run.py" "tallimo-cli, CSV to result .xlsx" "$build/tallimo-cli" \
    reconcile --left "$work/left.csv" --left-range "A2:F$((rows + 1))" --left-sum E,F \
    --left-compare A --right "$work/right.csv" --right-range "A2:F$((rows + 1))" --right-sum E,F \
    --right-compare A --output "$work/cli.xlsx"
done
