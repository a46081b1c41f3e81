#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, ASan and UBSan in build-fuzz/ and runs each
# for SECONDS (default 60), seeded from the project's own workbooks, format codes and addresses.
# The corpora grow in build-fuzz/corpus/; a crash leaves its input in build-fuzz/artifacts/ and
# fails the run.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build=$root/build-fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DTALLIMO_FUZZ=ON \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
cmake --build "$build" --target tallimo_fuzzers -j "$(nproc)"

corpus=$build/corpus
mkdir -p "$build/artifacts" "$corpus"/{fuzz_xlsx_package,fuzz_xlsx_part,fuzz_csv,fuzz_address,fuzz_number_format,fuzz_xls,fuzz_ods_content,fuzz_html_table}
python3 "$root/fuzz/make_seeds.py" "$root" "$corpus"

# Qt keeps a few objects for the life of the process; they are no leaks of ours.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# The targets hand each input to the readers as a file; those files stay inside build-fuzz/.
export TMPDIR=$build/tmp
mkdir -p "$TMPDIR"
failed=()
for target in fuzz_xlsx_package fuzz_xlsx_part fuzz_csv fuzz_address fuzz_number_format fuzz_xls \
  fuzz_ods_content fuzz_html_table; do
  log=$build/artifacts/$target.log
  status=0
  "$build/fuzz/$target" "$corpus/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len=262144 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [[ $status -eq 0 ]]; then
    echo "$target: ${runs:-0} inputs in $seconds s, no fault"
  else
    echo "$target: FAULT (exit $status); log $log, input in $build/artifacts/" >&2
    grep -E "runtime error|ERROR: |SUMMARY" "$log" | head -5 >&2
    failed+=("$target")
  fi
done
[[ ${#failed[@]} -eq 0 ]] || { echo "Faults found by: ${failed[*]}" >&2; exit 1; }
