#!/usr/bin/env bash
# Builds the native tests (build/native) and the Windows program with its test programs
# (build/win32).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)

if [ "${1:-all}" != "win32" ]; then
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build build/native -j "$jobs"
fi
if [ "${1:-all}" != "native" ]; then
    cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
    cmake --build build/win32 -j "$jobs"
fi
