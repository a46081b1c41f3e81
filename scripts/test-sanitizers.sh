#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/ and
# runs the whole suite there. Slow (see docs/fuzzing.md); not part of scripts/test.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
build=$root/build-sanitize
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALLIMO_SANITIZE=address,undefined \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
cmake --build "$build" -j "$(nproc)"
# Qt keeps a few objects for the life of the process; they are no leaks of ours.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" ctest --output-on-failure -j "$(nproc)" --timeout 1800
