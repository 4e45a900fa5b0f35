#!/usr/bin/env bash
# Simulates how a picture looks to a trainee with deuteranopia and with protanopia
# (Machado, Oliveira and Fernandes 2009, severity 1.0, applied in linear RGB), to check
# that the score map's products, reports and areas stay apart. Needs ImageMagick.
#   scripts/cvd_simulate.sh score.png        ->  score-deuteranopia.png, score-protanopia.png
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 picture.png" >&2; exit 2; }
in=$1
base=${in%.png}
deuteranopia='0.367322 0.860646 -0.227968 0.280085 0.672501 0.047413 -0.011820 0.042940 0.968881'
protanopia='0.152286 1.052583 -0.204868 0.114503 0.786281 0.099216 -0.003882 -0.048116 1.051998'
convert "$in" -colorspace RGB -color-matrix "$deuteranopia" -colorspace sRGB "$base-deuteranopia.png"
convert "$in" -colorspace RGB -color-matrix "$protanopia" -colorspace sRGB "$base-protanopia.png"
echo "$base-deuteranopia.png $base-protanopia.png"
