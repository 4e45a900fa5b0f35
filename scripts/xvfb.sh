# Sourced by the benchmark scripts: a private X display for programs that need one.
# start_private_xvfb starts Xvfb (1280x1024, depth 24, no TCP), letting it pick a free
# display number, and sets xvfb_pid (for the caller to kill on exit) and xvfb_display
# (":N"). Returns 1, having said so, when no display came up within 10 seconds.
start_private_xvfb() {
  local number
  exec 3<> <(:)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 10 number <&3 || { echo "Xvfb did not start" >&2; return 1; }
  xvfb_display=":$number"
}
