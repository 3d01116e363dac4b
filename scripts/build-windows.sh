#!/usr/bin/env bash
# Cross-builds the core, its tests and vx18dctl for 64-bit Windows with
# Debian's mingw-w64: build-windows.sh DIR [cmake options...]
# vx18dctl.exe lands at DIR/cli/vx18dctl.exe, the tests at DIR/tests/.
# Installs what the cross build and its tests under Wine need (Debian 12).
set -euo pipefail
dir=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest libcli11-dev
          nlohmann-json3-dev wine64)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

cmake -S "$root" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVX18D_BUILD_TESTS=ON "$@" >/dev/null
ninja -C "$dir" -j"$(nproc)" vx18dctl core_tests settings_store_tool
