#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program there:
# it must find its data relative to its own folder, seed a fresh per-user folder and
# open the default case (its working copy of the report file then equals the disc's).
# Usage: install_test.sh <build-dir> [<installed-root>]   (root: skip the install step)
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if [ $# -ge 2 ]; then
  root=$2
else
  root="$tmp/prefix"
  cmake --install "$build" --prefix "$root" >/dev/null
fi
fail() { echo "FAIL: $*"; exit 1; }
for f in bin/nimbrel share/nimbrel/appdata/nimbrel.gis share/nimbrel/appdata/nimbrel.cas \
         share/nimbrel/disc/1979-04-10/rpt.dat share/applications/nimbrel.desktop \
         share/metainfo/org.nimbrel.Nimbrel.metainfo.xml share/icons/hicolor/scalable/apps/nimbrel.svg; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
ls "$root"/share/nimbrel/disc/1979-04-10/satv-* >/dev/null 2>&1 || fail "no satellite frames installed"
# The program loads its sound module from beside its libraries.
module=""
for f in "$root"/lib/nimbrel/libnimbrel_sound.so "$root"/lib/*/nimbrel/libnimbrel_sound.so; do
  [ -f "$f" ] && module=$f
done
[ -n "$module" ] || fail "the sound module is not installed"
export XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
set +e
QT_QPA_PLATFORM=offscreen timeout 8 "$root/bin/nimbrel" >"$tmp/out.txt" 2>&1
rc=$?
set -e
[ $rc -eq 124 ] || { cat "$tmp/out.txt"; fail "the installed program ended early (status $rc)"; }
user="$XDG_DATA_HOME/nimbrel"
[ -f "$user/nimbrel.gis" ] || fail "the per-user folder was not seeded"
cmp -s "$user/rpt.dat" "$root/share/nimbrel/disc/1979-04-10/rpt.dat" || fail "the default case did not open"
echo "installed program ran from $root and opened the default case"
