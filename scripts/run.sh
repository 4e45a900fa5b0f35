#!/usr/bin/env bash
# Builds Nimbrel with the data it ships and starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/deps.sh" run
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBREL_TESTS=OFF >/dev/null
cmake --build "$here/build" --parallel
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Nimbrel on a virtual one (xvfb-run)."
  echo "To see it, run this on a desktop, or attach a VNC viewer to the virtual display."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/build/src/nimbrel"
fi
exec "$here/build/src/nimbrel"
