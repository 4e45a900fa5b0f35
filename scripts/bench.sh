#!/usr/bin/env bash
# Builds Release with the benchmarks, runs the test suite on that build (no figure is
# taken from code that fails its tests), runs every benchmark and the start-up race, and
# prints one table: each speed goal, the figure, the ratio, met or not; then the growth
# with size.
# Usage: scripts/bench.sh [--build DIR] [--display :N] [--rounds N]
#   --build    a build folder already configured (its build type is kept and shown);
#              default build-bench, configured Release
#   --display  an X display to start the programs on; it must have no window manager.
#              Without it a private Xvfb is started.
#   --rounds   start-up rounds (default 40; each round starts both programs).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
display="" rounds=40 build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --display) display=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--display :N] [--rounds N]" >&2; exit 2 ;;
  esac
done
bash "$here/scripts/deps.sh" bench
if [ -z "$build" ]; then
  build="$here/build-bench"
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake -S "$here" -B "$build" -DNIMBREL_BENCH=ON -DNIMBREL_TESTS=ON >/dev/null
out="$build/results"
cmake --build "$build" --parallel "$(nproc)"
mkdir -p "$out"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j2 --timeout 600 --output-on-failure >"$out/tests.log" 2>&1) || {
  grep -E "tests passed|Failed|FAILED" "$out/tests.log" >&2 || true
  echo "The test suite fails on this build (see $out/tests.log): no figures taken." >&2
  exit 1
}
grep -E "tests passed" "$out/tests.log"
# The frame races take their ratios round by round; the others are run seven times
# each and reported by their median.
"$build/bench/frame_bench" --benchmark_format=json --benchmark_out="$out/frame_bench.json" \
  --benchmark_out_format=json --benchmark_min_time=0.5 >/dev/null
for b in advance_bench map_bench sounding_bench; do
  "$build/bench/$b" --benchmark_format=json --benchmark_out="$out/$b.json" \
    --benchmark_out_format=json --benchmark_min_time=0.5 --benchmark_repetitions=7 \
    --benchmark_report_aggregates_only=true >/dev/null
done

# Start-up: both programs on the same display, alternately, with a per-user folder of
# their own (filled by the timer's first, uncounted run).
home=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
if [ -z "$display" ]; then
  exec 3<> <(:)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 10 number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
  display=":$number"
fi
HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" DISPLAY="$display" \
  "$build/bench/startup_timer" "$rounds" "$build/src/nimbrel" "$build/bench/bare_window" \
  >"$out/startup.txt"
# The same race against a main window with one menu and one status label: what a window
# with any text costs over the bare one, and how much of the rest is the program's own.
HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" DISPLAY="$display" \
  "$build/bench/startup_timer" "$rounds" "$build/src/nimbrel" "$build/bench/menu_window" \
  >"$out/startup-menu.txt"
HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" DISPLAY="$display" \
  "$build/bench/startup_timer" "$rounds" "$build/bench/menu_window" "$build/bench/bare_window" \
  >"$out/startup-floor.txt"
libs_ours=$(ldd "$build/src/nimbrel" | wc -l)
libs_bare=$(ldd "$build/bench/bare_window" | wc -l)
echo "shared libraries: nimbrel $libs_ours, bare window $libs_bare" >>"$out/startup.txt"

# ---- Peak memory of a whole scripted session, beside a bare main window ------------------
DISPLAY="$display" bash "$here/scripts/session_memory.sh" "$build" >"$out/session-memory.txt"
# ---- end of the session memory block ------------------------------------------------------

echo "Build type: $(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt"), commit $(git -C "$here" rev-parse --short HEAD)"
python3 "$here/scripts/bench_table.py" "$out"
