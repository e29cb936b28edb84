#!/usr/bin/env bash
# Builds the optimised program and its Debian package, then checks the package:
#   scripts/package.sh            build-package/vel-tavrik-dovi_<version>_<arch>.deb
#   scripts/package.sh --check    ... and check it (./test.sh does):
#     - lintian (no error or warning; lintian-overrides give the reason for each override),
#       desktop-file-validate on the menu entry, appstreamcli validate on the metainfo;
#     - the package holds nothing outside /usr;
#     - the unpacked program, started offscreen by an unprivileged user (nobody) from a
#       folder that user cannot write, keeps the port it chose through an alias in the
#       user's configuration folder, and keeps it across a restart.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tavrik_install_missing "${TAVRIK_CHECK_PACKAGES[@]}"

check=false
[ "${1:-}" = "--check" ] && check=true
build=${TAVRIK_PACKAGE_BUILD_DIR:-build-package}

echo "== Optimised build and Debian package"
# Debian's build flags with all hardening, as a Debian package build uses them (-O2;
# no -g, since the package is stripped). Only what the package holds is built.
flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --export=sh)
eval "$flags"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
    -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DTAVRIK_BUILD_TESTS=OFF -DTAVRIK_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target VEL_TAVRIK_DovI tavrik-radio-sim tavrik-desktop-files
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/*.deb)
echo "Package: $deb"
$check || exit 0

echo "== Package checks"
dpkg-deb --field "$deb" Package Version Depends
outside=$(dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr/' || true)
if [ -n "$outside" ]; then
    echo "Files outside /usr:" >&2
    echo "$outside" >&2
    exit 1
fi
lintian --fail-on error,warning --display-info "$deb"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
dpkg-deb -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/VEL_TAVRIK_DovI.desktop"
# The component is named after the program and its menu entry, VEL_TAVRIK_DovI: the
# project owns no domain to build a reverse-domain name from, so that hint stays a hint.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
    "$scratch/root/usr/share/metainfo/VEL_TAVRIK_DovI.metainfo.xml"

echo "== The unpacked program keeps its port in the user's folder"
# CI runs as root, who may write anywhere: the program runs as nobody, with a home of
# its own, from the unpacked tree that only root may write.
root="$scratch/root"
program="$root/usr/bin/VEL_TAVRIK_DovI"
home="$scratch/home"
config="$home/config"
user="$config/VEL_TAVRIK_DovI"
settings="$user/mysetup.ini"
mkdir -p "$user/ports" "$home/runtime"
chmod 700 "$home/runtime"
ln -s /dev/null "$user/ports/COM9"
chown -R nobody: "$home"
# A command prefix, not a function: a program started with it in the background is
# the very process that $! names, so that it can be stopped.
as_nobody=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config"
    XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
    setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
if "${as_nobody[@]}" test -w "$root/usr/bin"; then
    echo "nobody can write the program's folder: nothing would be checked" >&2
    exit 1
fi

# Starts the program, waits until mysetup.ini in the user's folder no longer reads
# $1 (it has stored its port), then stops it.
run_until_stored() {
    local before=$1 pid waited=0
    "${as_nobody[@]}" "$program" >"$home/run.log" 2>&1 </dev/null &
    pid=$!
    while [ "$(cat "$settings" 2>/dev/null)" = "$before" ]; do
        if ! kill -0 "$pid" 2>/dev/null || [ $waited -ge 300 ]; then
            kill "$pid" 2>/dev/null || true
            echo "The program stored no port; its output:" >&2
            cat "$home/run.log" >&2
            exit 1
        fi
        sleep 0.2
        waited=$((waited + 1))
    done
    # Stop the program itself, not a wrapper that would leave it running.
    if [ "$(readlink "/proc/$pid/exe")" != "$program" ]; then
        echo "Process $pid is not the program; stopping it would leave the program running" >&2
        kill "$pid"
        exit 1
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

expect_stored() {
    local got
    got=$(tr -d '\r' <"$settings")
    if [ "$got" != "$(printf '[language]\ncomPort=%s' "$1")" ]; then
        echo "mysetup.ini holds, instead of comPort=$1:" >&2
        echo "$got" >&2
        exit 1
    fi
}

# First start: no settings yet; the alias COM9 is the first port listed, so it is chosen
# and stored in the user's folder.
run_until_stored ""
expect_stored 9
# Restart with another alias listed before it, COM3. The test respaces the stored line,
# as a person editing it might, so that the second start's store shows: it rewrites the
# line with the port it chose, which must still be COM9.
ln -s /dev/zero "$user/ports/COM3"
printf '[language]\ncomPort = 9\n' >"$settings"
run_until_stored "$(cat "$settings")"
expect_stored 9
if [ -e "$root/usr/bin/mysetup.ini" ] || [ -e "$root/usr/bin/ports" ]; then
    echo "Something was written beside the program" >&2
    exit 1
fi
echo "The port chosen through the user's alias COM9 was kept across a restart."
