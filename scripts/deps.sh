#!/usr/bin/env bash
# Installs the Debian packages Nimbrel needs when any is missing (sudo when not root).
# Usage: scripts/deps.sh run|test|fuzz|harden|bench
set -euo pipefail
kind=${1:-run}
pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libqt6svg6 libgif-dev libjpeg-dev libfontconfig-dev
      libgdal-dev fonts-dejavu-core)
case "$kind" in
  run) pkgs+=(xvfb xauth) ;;
  test) pkgs+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-utils openbox dpkg-dev gdal-bin) ;;
  fuzz) pkgs+=(clang-14 libclang-rt-14-dev dpkg-dev) ;;
  bench) pkgs+=(libgtest-dev libgmock-dev libbenchmark-dev libx11-dev xvfb xauth python3) ;;
  harden) pkgs+=(libbenchmark-dev libx11-dev libgtest-dev libgmock-dev xvfb xauth x11-utils gdal-bin clang-14 libclang-rt-14-dev clang-tidy-14 clang-format-14 dpkg-dev) ;;
  *) echo "usage: $0 run|test|fuzz|harden|bench" >&2; exit 2 ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
