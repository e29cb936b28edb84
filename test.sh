#!/usr/bin/env bash
# Builds the program and runs every test: formatting, the suite, the Windows syntax
# check, the Debian package and its checks, and the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
tavrik_install_missing "${TAVRIK_CHECK_PACKAGES[@]}"

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

echo "== Formatting"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [ -n "$files" ]; then
    # shellcheck disable=SC2086
    clang-format --dry-run --Werror $files
fi

echo "== Build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug -DTAVRIK_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest -j "$jobs")
scripts/windows-check.sh build
scripts/package.sh --check

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVRIK_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest -j "$jobs")
scripts/fuzz.sh
