#!/usr/bin/env bash
# Times the program's start-up against a bare Qt window under a virtual display, with
# an optimised build (build-release/): exec to window mapped, and memory 2 s after the
# start. Both are started with an English locale. Extra arguments go to the benchmark:
#   scripts/bench-startup.sh --runs 11
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tavrik_install_missing xvfb xauth libxcb1-dev

build=${TAVRIK_BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target bench_startup
export LANG=C.UTF-8
unset LC_ALL
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$build/bench/bench_startup" "$@"
