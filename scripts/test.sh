#!/usr/bin/env bash
# Builds Nimbrel and every test program, then runs all tests.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/deps.sh" test
build="$here/build-test"
# The suite builds with CMake's default generator, the one packagers and users get from
# a plain `cmake -S . -B build`; the hardening builds use Ninja, so both stay linkable.
# A folder configured earlier with another generator is started afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2

# The Debian package: built, installed, started, removed. Only on a CI machine, where
# installing into the system is expected.
if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ]; then
  (cd "$build" && cpack -G DEB >/dev/null)
  dpkg -i "$build"/nimbrel_*_amd64.deb >/dev/null
  status=0
  bash "$here/tests/install/install_test.sh" "$build" /usr || status=$?
  dpkg -r nimbrel >/dev/null
  [ $status -eq 0 ] || { echo "The Debian package did not run"; exit 1; }
  echo "Debian package: installed, ran and removed"
fi
