#!/usr/bin/env bash
# Builds VEL_TAVRIK_DovI and opens its window.
#
#   ./run.sh               with a virtual radio on the line: a simulated TAVRIK served
#                          on a pseudo-terminal as port COM900, already selected, so
#                          Read and Write work at once without hardware
#   ./run.sh --series N    the same, with N radios one after another (for multi-write:
#                          Ctrl+Shift+M shows its panel)
#   ./run.sh --real        no virtual radio: for a real programming cable
#
# Without a display, run it under a virtual one:  xvfb-run -a ./run.sh
set -euo pipefail
cd "$(dirname "$0")"

usage() { sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; }

original_args="$*"
real=0
series=1
while [ $# -gt 0 ]; do
    case "$1" in
    --real) real=1 ;;
    --series)
        series="${2:-}"
        shift || true
        if ! [[ "$series" =~ ^[1-9][0-9]*$ ]]; then
            echo "--series needs a number of radios, such as --series 3" >&2
            exit 2
        fi
        ;;
    -h | --help)
        usage
        exit 0
        ;;
    *)
        echo "Unknown option: $1" >&2
        usage >&2
        exit 2
        ;;
    esac
    shift
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Run it under a virtual display instead:" >&2
    echo "    xvfb-run -a ./run.sh${original_args:+ $original_args}" >&2
    exit 1
fi

source scripts/deps.sh
# Qt's own texts in Chinese (OK/Cancel, the context menus) for a Chinese system.
tavrik_install_missing qt6-translations-l10n

build=build
echo "== Building the program and the simulated radio in $build/"
# A Debug build of its own (./test.sh builds with the sanitizers in build-asan).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTAVRIK_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target VEL_TAVRIK_DovI tavrik-radio-sim

appdir="$build/app"
program="$appdir/VEL_TAVRIK_DovI"

if [ "$real" -eq 1 ]; then
    echo "== Starting VEL_TAVRIK_DovI for a real cable (choose its port under Com Port)"
    exec "$program"
fi

# The virtual radio: a pseudo-terminal reached through the alias folder beside the
# program, under a COM number that no real device takes (devices use 1 to 499).
com=900
alias_dir="$appdir/ports"
alias_link="$alias_dir/COM$com"
memory="$build/virtual-radio.bin"
log="$build/virtual-radio.log"
mkdir -p "$alias_dir"
rm -f "$alias_link"

sim_args=(--memory "$memory" --link "$alias_link" --log "$log")
if [ "$series" -gt 1 ]; then
    sim_args+=(--series "$series")
fi
"$build/tools/radiosim/tavrik-radio-sim" "${sim_args[@]}" >"$build/virtual-radio.out" 2>&1 &
sim_pid=$!
cleanup() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    rm -f "$alias_link"
}
trap cleanup EXIT INT TERM

for _ in $(seq 50); do
    [ -e "$alias_link" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "The simulated radio did not start:" >&2
        cat "$build/virtual-radio.out" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -e "$alias_link" ]; then
    echo "The simulated radio did not put its port in place ($alias_link)." >&2
    exit 1
fi

# The window opens with the virtual radio's port selected: the remembered port.
# Only the comPort line of mysetup.ini changes; anything else in the file stays.
remember_port() {
    local ini="$appdir/mysetup.ini"
    if [ ! -f "$ini" ]; then
        printf '[language]\r\ncomPort=%s\r\n' "$1" >"$ini"
        return
    fi
    awk -v port="$1" '
        { line = tolower($0) }
        line ~ /^[ \t]*\[/ {
            if (in_section && !done) { print "comPort=" port "\r"; done = 1 }
            in_section = (line ~ /^[ \t]*\[language\][ \t\r]*$/)
        }
        in_section && !done && line ~ /^[ \t]*comport[ \t]*=/ { print "comPort=" port "\r"; done = 1; next }
        { print }
        END {
            if (!done && in_section) print "comPort=" port "\r"
            else if (!done) { print "[language]\r"; print "comPort=" port "\r" }
        }' "$ini" >"$ini.new" && mv "$ini.new" "$ini"
}
remember_port "$com"

echo "== Starting VEL_TAVRIK_DovI with a virtual radio on COM$com"
echo "   (radio memory: $memory; requests logged to $log)"
"$program"
