#!/usr/bin/env bash
# Sets up, builds and shows the toolset's main job on the bundled examples: the bank-account
# ledger reconciled against the bank statement, dates compared, debit against income (pass 1)
# and credit against expense (pass 2).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"

mkdir -p "$root/out"
result=$root/out/demo-result.xlsx
echo
echo "对账: examples/ledger.xlsx (银行存款日记账) ↔ examples/bank-statement.xlsx (银行流水)"
"$root/build/tallimo-cli" reconcile \
  --left "$root/examples/ledger.xlsx" --left-sheet 银行存款日记账 --left-range A2:E309 \
  --left-compare A --left-sum D,E \
  --right "$root/examples/bank-statement.xlsx" --right-sheet 银行流水 --right-range A2:E310 \
  --right-compare A --right-sum D,E \
  --color --output "$result"
echo
echo "结果工作簿: $result"
