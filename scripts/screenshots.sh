#!/usr/bin/env bash
# Makes the README's pictures of the main window under a virtual display:
#   docs/window-english.png      the window on an English system
#   docs/window-chinese.png      the window on a Chinese (PRC) system
#   docs/window-multiwrite.png   the window with the multi-write panel shown
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tavrik_install_missing xvfb xauth

build=${TAVRIK_BUILD_DIR:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target tavrik-screenshot
tool="$build/app/tavrik-screenshot"
mkdir -p docs

shoot() {
    if [ -n "${DISPLAY:-}" ]; then
        "$tool" "$@"
    else
        xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$tool" "$@"
    fi
}

shoot --locale 0x0409 --out docs/window-english.png
shoot --locale 0x0804 --out docs/window-chinese.png
shoot --locale 0x0409 --panel --out docs/window-multiwrite.png
echo "Pictures written to docs/"
