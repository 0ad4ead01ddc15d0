#!/usr/bin/env bash
# Makes a release: installs what is missing, builds the Windows program in a fresh build folder
# (build/release) and writes dist/:
#   kelvorin.exe                     the program, stripped
#   kelvorin-VERSION-setup.exe       the setup program
#   kelvorin-VERSION-portable.zip    the program with its read-me and licence
#   SHA256SUMS
# The version is the one in CMakeLists.txt. The last line gives the size of the exe.
#
#   tools/release.sh [--allow-dirty]
#
# A release is made from a commit: uncommitted changes stop it unless --allow-dirty is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

allow_dirty=false
for arg in "$@"; do
    case $arg in
        --allow-dirty) allow_dirty=true ;;
        *)
            echo "usage: $0 [--allow-dirty]" >&2
            exit 2
            ;;
    esac
done

commit=$(git rev-parse --short HEAD 2>/dev/null || echo "no commit")
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
    if ! $allow_dirty; then
        echo "The work tree has uncommitted changes; commit them, or pass --allow-dirty." >&2
        exit 1
    fi
    commit="$commit with uncommitted changes"
fi

bash tools/setup.sh

build=$root/build/release
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kelvorin_dist

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
exe=$build/bin/kelvorin.exe
python3 tests/setup/manifest_check.py none "$exe"

dist=$root/dist
rm -rf "$dist"
mkdir -p "$dist"
cp "$exe" "$build/dist/kelvorin-$version-setup.exe" "$build/dist/kelvorin-$version-portable.zip" \
    "$dist/"
(cd "$dist" && sha256sum kelvorin.exe "kelvorin-$version-setup.exe" \
    "kelvorin-$version-portable.zip" >SHA256SUMS)

echo
echo "Kelvorin $version from commit $commit, in $dist:"
(cd "$dist" && ls -l --time-style=+ kelvorin.exe "kelvorin-$version-setup.exe" \
    "kelvorin-$version-portable.zip" SHA256SUMS | awk '{ printf "  %-34s %9d bytes\n", $NF, $5 }')
size=$(stat -c %s "$exe")
echo "kelvorin.exe: $size bytes ($(((size + 512) / 1024)) KiB)"
