#!/usr/bin/env bash
# Peak memory of a whole scripted session (bench/session_memory: the sample day opened,
# every hour advanced, every chart kind and the soundings looped, an area drawn, an
# outlook and a watch issued, the reveal, the score window and its replay, a last loop)
# beside a bare main window, each started with a fresh per-user folder. Builds nothing:
# the build folder must hold both programs (configured with -DNIMBREL_BENCH=ON).
# Runs on $DISPLAY when set, otherwise on a private Xvfb.
# Usage: scripts/session_memory.sh BUILD_DIR
# Prints one line, e.g.
#   session peak memory: nimbrel 58.2 MB (median of 3, 57.9-58.6), bare window 28.6 MB (2.03x)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
for p in session_memory bare_window_memory; do
  [ -x "$build/bench/$p" ] || { echo "$build/bench/$p is missing: build it first" >&2; exit 1; }
done
home=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  source "$(dirname "$0")/xvfb.sh"
  start_private_xvfb || exit 1
  export DISPLAY="$xvfb_display"
fi
# Each program gets a per-user folder of its own, empty, as on a first start.
run() {
  local dir
  dir=$(mktemp -d -p "$home")
  HOME="$dir" XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
    XDG_RUNTIME_DIR="$dir" "$@" 2>"$dir/stderr" || {
    echo "$* failed:" >&2
    cat "$dir/stderr" >&2
    exit 1
  }
}
# The session's peak moves by a megabyte or two with the timing of the loops (how many
# frames a timed loop decodes): three sessions, the median, each beside a bare window.
ours=() bare=()
for _ in 1 2 3; do
  ours+=("$(run "$build/bench/session_memory" | sed -n 's/^nimbrel session peak \([0-9.]*\) MB$/\1/p')")
  bare+=("$(run "$build/bench/bare_window_memory" | sed -n 's/^bare window peak \([0-9.]*\) MB$/\1/p')")
done
for v in "${ours[@]}" "${bare[@]}"; do
  [ -n "$v" ] || { echo "no figure was printed" >&2; exit 1; }
done
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
low=$(printf '%s\n' "${ours[@]}" | sort -n | head -1)
high=$(printf '%s\n' "${ours[@]}" | sort -n | tail -1)
awk -v a="$(median "${ours[@]}")" -v b="$(median "${bare[@]}")" -v lo="$low" -v hi="$high" \
  'BEGIN { printf "session peak memory: nimbrel %.1f MB (median of 3, %.1f-%.1f), bare window %.1f MB (%.2fx)\n", a, lo, hi, b, a / b }'
