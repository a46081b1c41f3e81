#!/usr/bin/env bash
# Sets up, builds and shows the toolset's main job on the bundled examples: the bank-account
# ledger reconciled against the bank statement, dates compared, debit against income (pass 1)
# and credit against expense (pass 2).
# Run by root it also installs LibreOffice Calc and the programs into /opt/tallimo (or
# $TALLIMO_PREFIX), with the examples, for every user of the machine: the README's walkthrough.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"

if [[ $(id -u) -eq 0 ]]; then
  prefix=${TALLIMO_PREFIX:-/opt/tallimo}
  bash "$root/scripts/setup-calc.sh"
  cmake --install "$root/build" --prefix "$prefix" >/dev/null
  install -d -m 0755 "$prefix/examples"
  install -m 0644 "$root"/examples/*.xlsx "$prefix/examples/"
  echo "已安装到 $prefix（所有用户可用；以普通用户运行 $prefix/launcher 开始）"
fi

mkdir -p "$root/out"
result=$root/out/demo-result.xlsx
echo
echo "对账: examples/ledger.xlsx (银行存款日记账) ↔ examples/bank-statement.xlsx (银行流水)"
"$root/build/tallimo-cli" reconcile \
  --left "$root/examples/ledger.xlsx" --left-sheet 银行存款日记账 --left-range A2:F309 \
  --left-compare A --left-sum D,E \
  --right "$root/examples/bank-statement.xlsx" --right-sheet 银行流水 --right-range A2:F310 \
  --right-compare A --right-sum D,E \
  --color --suggest --balance-statement --output "$result"
echo
echo "结果工作簿: $result"
