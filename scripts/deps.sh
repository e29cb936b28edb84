#!/usr/bin/env bash
# Installs the Debian 12 packages this project needs, when some are missing.
# Sourced by run.sh and test.sh; `tavrik_need_packages pkg...` adds to the list.
set -euo pipefail

TAVRIK_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-serialport-dev
    libgtest-dev clang-format
    clang libclang-rt-14-dev
    fonts-liberation fonts-wqy-microhei
)
# What ./test.sh needs besides: the Debian package and its checks (scripts/package.sh),
# and the Windows syntax check (scripts/windows-check.sh).
TAVRIK_CHECK_PACKAGES=(
    dpkg-dev file lintian desktop-file-utils appstream
    g++-mingw-w64-x86-64-posix
)

tavrik_install_missing() {
    local missing=()
    local p
    for p in "${TAVRIK_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
    else
        echo "These packages are missing. Run, then try again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}
