#!/usr/bin/env bash
# The hardening checks, run in this order:
#   format   clang-format-14 --dry-run --Werror over src/ tests/ tools/ bench/ fuzz/
#   sanitize a Debug build with AddressSanitizer + UndefinedBehaviorSanitizer that runs
#            the whole test suite; the benchmark programs are built there too (not run:
#            scripts/bench.sh measures on a Release build), so that they keep compiling
#   tidy     clang-tidy-14 with the committed .clang-tidy over src/ (uses the
#            compile_commands.json of the sanitizer build)
#   fuzz     the short fuzz run of scripts/fuzz.sh
# Usage: scripts/harden.sh [step...]   (default: all four). Each step's time is printed.
# Build folders: build-asan and build-fuzz (NIMBREL_ASAN_BUILD, NIMBREL_FUZZ_BUILD override).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(format sanitize tidy fuzz)

bash "$here/scripts/deps.sh" harden

asan_build=${NIMBREL_ASAN_BUILD:-$here/build-asan}
sources() { git -C "$here" ls-files "$@" | grep -E '\.(cpp|h)$'; }

step_format() {
  # shellcheck disable=SC2046
  clang-format-14 --dry-run --Werror $(sources src tests tools bench fuzz)
}

configure_asan() {
  cmake -S "$here" -B "$asan_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNIMBREL_SANITIZE=ON \
    -DNIMBREL_TESTS=ON -DNIMBREL_TOOLS=ON -DNIMBREL_BENCH=ON >/dev/null
}

step_sanitize() {
  configure_asan
  cmake --build "$asan_build" --parallel 2
  # Leak checking is off: Qt keeps plugin, font and style caches until exit and the
  # reports are about those, not about this program. Overruns, use after free and
  # undefined behaviour stop the test that hits them.
  (cd "$asan_build" &&
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 -j2)
}

step_tidy() {
  [ -f "$asan_build/compile_commands.json" ] || configure_asan
  # The window sources include the files Qt's moc generates: make sure they exist.
  cmake --build "$asan_build" --parallel 2 --target nimbrel_ui >/dev/null
  local out
  out=$(mktemp)
  # Only the program's own sources; the headers they include are checked through them.
  if ! run-clang-tidy-14 -p "$asan_build" -j 2 -quiet "$here/src/.*\\.cpp\$" >"$out" 2>&1; then
    cat "$out"
    rm -f "$out"
    return 1
  fi
  if grep -E "(warning|error): " "$out"; then
    rm -f "$out"
    return 1
  fi
  rm -f "$out"
}

step_fuzz() {
  bash "$here/scripts/fuzz.sh"
}

for s in "${steps[@]}"; do
  echo "==== harden: $s"
  start=$(date +%s)
  "step_$s"
  echo "==== harden: $s passed in $(($(date +%s) - start)) s"
done
