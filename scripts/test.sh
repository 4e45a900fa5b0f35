#!/usr/bin/env bash
# Builds Nimbrel and every test program, then runs all tests.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/deps.sh" test
build="$here/build-test"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_TESTS=ON >/dev/null
cmake --build "$build" --parallel
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2
