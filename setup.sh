#!/usr/bin/env bash
# Set-up for a fresh Debian 12 machine.
#   ./setup.sh run    install what is missing, build, and start portana
#   ./setup.sh test   install what is missing, build, and run the whole test
#                     suite, then again under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake g++ ninja-build qt6-base-dev qt6-qpa-plugins libgl-dev fonts-noto-cjk)
TEST_PACKAGES=(xvfb trayer openbox desktop-file-utils appstream dbus xdotool x11-utils x11-xserver-utils imagemagick iproute2 python3)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() { # build <dir> [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}

case "${1:-}" in
run)
    install_missing "${BUILD_PACKAGES[@]}"
    build build
    exec ./build/portana
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build -DPORTANA_WERROR=ON
    (cd build && ctest --output-on-failure -j"$(nproc)")
    build build-asan -DPORTANA_WERROR=ON -DPORTANA_SANITIZE=ON
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j"$(nproc)")
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
