#!/usr/bin/env bash
# Runs the real program under Xvfb, walks through a first session with xdotool and
# saves pictures of the main views into docs/screenshots/.
# Usage: scripts/screenshots.sh [build-dir]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=${NIMBREL_SHOTS_DIR:-$here/docs/screenshots}
mkdir -p "$out"
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (apt-get install xvfb xdotool imagemagick)"; exit 1; }
done

home=$(mktemp -d)
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# A window placement of our choosing instead of the first-run default.
mkdir -p "$XDG_CONFIG_HOME"
printf '[Window]\nHeight=900\nWidth=1400\nLeft=0\nTop=0\nMaximized=0\nWarningSounds=0\n' > "$XDG_CONFIG_HOME/Nimbrel.conf"

display=${NIMBREL_SHOTS_DISPLAY:-:97}
Xvfb $display -screen 0 1400x900x24 -nolisten tcp &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$home"' EXIT
export DISPLAY=$display
sleep 1
"$build/src/nimbrel" &
app=$!
sleep 3

win=$(xdotool search --sync --name "Nimbrel V1.0" | head -n 1)
shot() { sleep "${2:-1}"; import -window root "$out/$1.png"; echo "saved $1.png"; }
# Without a window manager the keyboard focus follows a click: click the status bar first.
read -r vx vy vw vh < <(xdotool getwindowgeometry --shell "$win" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
focus() { xdotool mousemove $((vx + vw - 20)) $((vy + vh - 8)) click 1; }
key() { focus; xdotool key "$@"; }
advance() { for _ in $(seq "$1"); do key F4; sleep 0.6; done; }

# The information boxes of the late hours would block the walk; the walk stays before them.
advance 6                                  # 1800 UTC
shot satellite
key F11; shot sounding-map
# Pick the Oklahoma City station circle (its centre on the map, offset by the view).
xdotool mousemove $((vx + 157 + 252 + 2)) $((vy + 27 + 363 + 2)) click 1
shot sounding
key F12; shot target-map 2
# Drag an axis from the Texas Panhandle to central Kansas, then widen and fix it.
xdotool mousemove $((vx + 157 + 420)) $((vy + 27 + 470)) mousedown 1
xdotool mousemove $((vx + 157 + 520)) $((vy + 27 + 380))
xdotool mousemove $((vx + 157 + 600)) $((vy + 27 + 300)) mouseup 1
xdotool mousemove $((vx + 157 + 650)) $((vy + 27 + 330))
xdotool click 1
# Issue a slight risk, then a tornado watch from the Forecast menu, and keep a picture
# of the watch.
xdotool mousemove $((vx + 114)) $((vy + 9)) click 1
sleep 0.5
xdotool key s
sleep 2
xdotool key Escape
sleep 0.5
xdotool mousemove $((vx + 114)) $((vy + 9)) click 1
sleep 0.5
xdotool key t
shot product 2
xdotool key Escape
sleep 0.5
advance 3                                  # 2100 UTC
shot target-map-reports 2
# The score of the two products: File > Exercise score... (the date is shown on the
# default case).
xdotool mousemove $((vx + 19)) $((vy + 9)) click 1
sleep 0.5
xdotool key x
shot score 3
# Selecting the first product's row: the slight risk and the reports that verify it stand
# out on the map.
score=$(xdotool search --name "^Exercise score$" | head -n 1)
read -r sx sy < <(xdotool getwindowgeometry --shell "$score" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}')
xdotool mousemove $((sx + 150)) $((sy + 68)) click 1
shot score-row-highlight 2
# The replay three hours into the day: the slider takes the keyboard once clicked, and
# each step to the right is an hour.
xdotool mousemove $((sx + 92)) $((sy + 808)) click 1
xdotool key Right Right Right
shot replay-1500 2
