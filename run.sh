#!/bin/sh
# Builds the program and starts it on the bundled demo library.
set -e
cd "$(dirname "$0")"
./scripts/packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
exec ./build/bin/vorlagen "$@"
