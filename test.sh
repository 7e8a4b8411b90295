#!/bin/sh
# Builds everything and runs every test offscreen; then the same tests built
# with clang's AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer,
# together with a minute of each profile-file fuzz target. Arguments go to
# both ctest runs.
set -e
cd "$(dirname "$0")"
./scripts/packages.sh test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVV_BUILD_TESTS=ON
cmake --build build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@")

# -O1 and line tables only: reports keep file and line, the build stays quick.
cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
    -DVV_SANITIZE=ON -DVV_BUILD_TESTS=ON -DVV_BUILD_FUZZ=ON
cmake --build build-asan
cd build-asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
