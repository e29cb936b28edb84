#!/usr/bin/env bash
# Builds the program and runs every test: formatting, the suite under AddressSanitizer
# and UndefinedBehaviorSanitizer, the Windows syntax check, the Debian package and its
# checks, and a short run of each fuzz target.
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

echo "== Build and test, under AddressSanitizer and UndefinedBehaviorSanitizer"
# One build serves every check: warnings are errors, and the whole suite runs with the
# sanitizers watching.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVRIK_WERROR=ON -DTAVRIK_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest -j "$jobs")

scripts/windows-check.sh build-asan
scripts/package.sh --check
scripts/fuzz.sh
