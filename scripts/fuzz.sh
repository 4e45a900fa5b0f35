#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each of them for a while.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
#   seconds-per-target  default 3: all seventeen targets together run about a minute;
#                       give e.g. 300 for a real session
#   target              fuzz_gif, fuzz_jpeg, ... (default: all of them)
# The committed seeds under fuzz/corpus/<name>/ are read but never written: what a run
# learns goes to build-fuzz/corpus/<name>/, so longer sessions build on earlier ones.
# A crash, overrun, hang or runaway allocation stops the script with a failure; the
# input that caused it is kept in build-fuzz/artifacts/.
# giflib and libjpeg are built from their Debian sources with the same instrumentation
# (scripts/fuzz-libs.sh, kept in build-fuzz/libs), so that the GIF and JPEG targets
# reach inside the decoders; NIMBREL_FUZZ_PLAIN_LIBS=1 links Debian's own instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-3}
shift || true
build=${NIMBREL_FUZZ_BUILD:-$here/build-fuzz}

bash "$here/scripts/deps.sh" fuzz

lib_opts=(-UGIF_INCLUDE_DIR -UGIF_LIBRARY -UJPEG_INCLUDE_DIR -UJPEG_LIBRARY)
if [ "${NIMBREL_FUZZ_PLAIN_LIBS:-0}" != 1 ]; then
  opts=$(CC=clang-14 bash "$here/scripts/fuzz-libs.sh" "$build/libs")
  read -r -a lib_opts <<<"$opts"
fi
CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNIMBREL_FUZZ=ON -DNIMBREL_TESTS=OFF -DNIMBREL_TOOLS=OFF "${lib_opts[@]}" >/dev/null
cmake --build "$build" --target fuzz_all --parallel 2

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in "$here"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

# Qt keeps caches for the life of the process; they are not leaks of the readers.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
mkdir -p "$build/artifacts"
failed=()
for t in "${targets[@]}"; do
  name=${t#fuzz_}
  work="$build/corpus/$name"
  mkdir -p "$work"
  seeds=()
  [ -d "$here/fuzz/corpus/$name" ] && seeds+=("$here/fuzz/corpus/$name")
  echo "== $t: ${seconds}s"
  # -timeout: one input taking longer than 10 s is a hang; -rss_limit_mb: a reader
  # that allocates without bound shows up as a failure, not as a slow machine.
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" \
      "$work" "${seeds[@]}" >"$build/artifacts/$t.log" 2>&1; then
    failed+=("$t")
    tail -n 40 "$build/artifacts/$t.log"
  else
    grep -E "stat::number_of_executed_units|stat::new_units_added" "$build/artifacts/$t.log" |
      tr '\n' ' '
    echo
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzz findings in: ${failed[*]} (inputs in $build/artifacts/)"
  exit 1
fi
echo "Fuzzing clean: ${#targets[@]} targets, ${seconds}s each"
