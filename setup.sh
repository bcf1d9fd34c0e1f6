#!/usr/bin/env bash
# Set-up for a fresh Debian 12 machine.
#   ./setup.sh run    install what is missing, build the program, and start it
#   ./setup.sh test   install what is missing, build everything, and run the
#                     whole test suite, then again under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")"

# What the program needs to build and run.
RUN_PACKAGES=(cmake g++ ninja-build qt6-base-dev libgl-dev libqt6sql6-sqlite fonts-noto-cjk qt6-translations-l10n)
# What the tests need besides.
TEST_PACKAGES=(python3 python3-pyatspi at-spi2-core libsqlite3-dev xvfb trayer openbox desktop-file-utils appstream dbus libglib2.0-bin xdotool x11-utils
    x11-xserver-utils imagemagick iproute2 lintian dpkg-dev xclip)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "setup.sh: as root, install first: apt-get install ${missing[*]}" >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() { # build <dir> <generator> [cmake options...]; generator "default": CMake's own choice
    local dir=$1 generator=$2
    shift 2
    local g=()
    [ "$generator" = default ] || g=(-G "$generator")
    # A folder configured with another generator is made afresh.
    if [ -f "$dir/CMakeCache.txt" ] &&
        ! grep -q "^CMAKE_GENERATOR:INTERNAL=${generator/default/Unix Makefiles}\$" "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    cmake -S . -B "$dir" "${g[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}

case "${1:-}" in
run)
    install_missing "${RUN_PACKAGES[@]}"
    build build-run Ninja -DPORTANA_TESTS=OFF
    exec ./build-run/portana
    ;;
test)
    install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    # The default generator (Make, what packagers run) for one build, Ninja for the other.
    build build default -DPORTANA_WERROR=ON
    (cd build && ctest --output-on-failure -j"$(nproc)")
    build build-asan Ninja -DPORTANA_WERROR=ON -DPORTANA_SANITIZE=ON
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j"$(nproc)")
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
