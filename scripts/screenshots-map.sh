#!/usr/bin/env bash
# Pictures of the target map as a trainee sees it under a window manager: cities, the
# scale bar, the cursor read-out and a forecast area, at
# 1024x768, 1600x1000, 2560x1440 and 2560x1440 with QT_SCALE_FACTOR=2.
# The 1600x1000 picture also shows a slight risk and a tornado watch issued on the way.
# Usage: scripts/screenshots-map.sh [build-dir] [picture-name]   (default: build, all)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
only=${2:-}
out=${NIMBREL_SHOTS_DIR:-$here/docs/screenshots}
mkdir -p "$out"
for tool in xvfb-run openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (apt-get install xvfb openbox xdotool imagemagick)"; exit 1; }
done

walk() { # name screen scale [products]
  local name=$1 screen=$2 scale=$3 products=${4:-} home
  [ -z "$only" ] || [ "$only" = "$name" ] || return 0
  home=$(mktemp -d)
  mkdir -p "$home/config" "$home/run" && chmod 700 "$home/run"
  printf '[Window]\nMaximized=1\nWarningSounds=0\n' > "$home/config/Nimbrel.conf"
  XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run" \
  QT_SCALE_FACTOR=$scale NIMBREL=$build/src/nimbrel SHOT=$out/$name.png S=$scale P=$products \
    xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
      openbox >/dev/null 2>&1 & sleep 1
      "$NIMBREL" & app=$!
      win=$(xdotool search --sync --name "Nimbrel V1.0" | head -n 1); sleep 3
      eval "$(xdotool getwindowgeometry --shell "$win")"
      xdotool windowactivate --sync "$win"
      key() { xdotool key --window "$win" "$@"; sleep 0.4; }
      for _ in 1 2 3 4 5 6; do key F4; sleep 0.3; done   # 1800 UTC
      key F12; sleep 1
      # The map area starts right of the left panel and under the menu bar.
      mx=$((X + 157 * S)); my=$((Y)); mw=$((WIDTH - 157 * S)); mh=$((HEIGHT - 25 * S))
      cx=$((mx + mw / 2)); cy=$((my + mh / 2)); u=$((mw / 12))
      area() { # axis from (x1,y1) to (x2,y2), width to (x3,y3)
        xdotool mousemove "$1" "$2" mousedown 1; sleep 0.2
        xdotool mousemove $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 )); sleep 0.2
        xdotool mousemove "$3" "$4" mouseup 1; sleep 0.2
        xdotool mousemove "$5" "$6"; sleep 0.3; xdotool mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.5
      }
      issue() { # mnemonic of a Forecast item: the Map menu, one menu left, the item
        xdotool key alt+m; sleep 0.4; xdotool key Left; sleep 0.4; xdotool key "$1"
        # The product window is modal; its own Exit button (Alt+E) closes it.
        local pw; pw=$(timeout 10 xdotool search --sync --onlyvisible --name "^Product window$" | head -n 1)
        sleep 1; xdotool windowactivate --sync "$pw"; xdotool key alt+e; sleep 1
        xdotool windowactivate --sync "$win"; sleep 0.5
      }
      # A forecast area, and the pointer over the map for the read-out.
      area $((cx - 2 * u)) $((cy + u)) $((cx + u)) $((cy - 2 * u)) $((cx + 2 * u)) $((cy - u))
      if [ -n "$P" ]; then
        # A slight risk for that area, a tornado watch for a smaller one inside it, and a
        # new area to the east being worked on over them.
        issue s
        area $((cx - u)) $((cy + u / 2)) $((cx + u / 2)) $((cy - u)) $((cx + u)) $((cy - u / 2))
        issue t
        area $((cx + 2 * u)) $((cy + 2 * u)) $((cx + 4 * u)) $((cy)) $((cx + 4 * u)) $((cy + u))
        # A product issued is outlined from the next full redraw of the map on: show it again.
        key F12; sleep 1
      fi
      xdotool mousemove $((cx - u)) $((cy - u)); sleep 1
      import -window root "$SHOT"
      kill $app' || true
  rm -rf "$home"
  echo "saved $name.png"
}

walk target-map-1024x768 1024x768 1
walk target-map-cities 1600x1000 1 products
walk target-map-2560x1440 2560x1440 1
walk target-map-scale2 2560x1440 2
