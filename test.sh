#!/bin/sh
# Builds everything and runs every test offscreen.
set -e
cd "$(dirname "$0")"
./scripts/packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVV_BUILD_TESTS=ON
cmake --build build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
