#!/usr/bin/env bash
# Compiles, for Windows and with -fsyntax-only, every source file of the program that a
# Windows build compiles, the Windows-only ones (*_win.cpp) included, with the mingw-w64
# cross compiler and this machine's Qt headers. It catches code that would not compile
# for Windows; it links nothing and runs nothing (there is no Qt for Windows here).
#   scripts/windows-check.sh [build folder]   (default: build, configured by ./test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tavrik_install_missing "${TAVRIK_CHECK_PACKAGES[@]}"
build=${1:-build}
list="$build/windows-check/sources.txt"
if [ ! -s "$list" ]; then
    echo "$list is missing: configure $build with CMake first" >&2
    exit 1
fi
compiler=x86_64-w64-mingw32-g++-posix
echo "== Windows syntax check ($(wc -l <"$list") files, $compiler)"
# Each line: flags file, source file.
xargs -P "$(nproc)" -L 1 sh -c 'exec "$0" @"$1" -fsyntax-only "$2"' "$compiler" <"$list"
echo "Every Windows source file compiles."
