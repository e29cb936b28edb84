#!/usr/bin/env bash
# Fuzzes the bytes that come from outside: the radio's answers on the line (receive),
# the memory image a Read brings (image) and mysetup.ini (ini). Builds the libFuzzer
# targets of tests/fuzz with clang++ under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then runs each for a fixed time.
#
#   scripts/fuzz.sh                   each target for 10 s (what ./test.sh runs)
#   scripts/fuzz.sh 3600 receive      one target for an hour
#
# A target named T starts from the hand-made inputs in tests/fuzz/corpus/T/, copied to
# build-fuzz/corpus/T/, where the inputs it finds are kept for the next run (the
# repository is never written). A finding fails the run and is saved as
# build-fuzz/findings/T/crash-* (or timeout-*, leak-*), with the fuzzer's output in
# build-fuzz/findings/T.log; run the target on that file to see it again.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(receive image ini)

if ! command -v clang++ >/dev/null; then
    echo "== Fuzzing skipped: clang++ is not installed"
    exit 0
fi

echo "== Fuzzing ${targets[*]}, ${seconds} s each (libFuzzer, ASan, UBSan)"
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTAVRIK_FUZZ=ON \
    -DTAVRIK_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

# Scratch files (fuzz_ini's settings file) in memory where there is a tmpfs: each store
# syncs the file to disk.
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/tavrik-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=64
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    mkdir -p "$corpus" "$findings"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    log=$build/findings/$target.log
    if "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=5 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1; then
        echo "fuzz_$target: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" |
            grep -o '[0-9]*$') inputs, no finding"
    else
        echo "fuzz_$target: FINDING (saved in $findings/)"
        tail -n 40 "$log"
        failed+=("$target")
    fi
done
[ ${#failed[@]} -eq 0 ]
