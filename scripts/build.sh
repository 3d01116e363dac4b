#!/usr/bin/env bash
# Configures and builds one build folder: build.sh DIR [cmake options...]
set -euo pipefail
dir=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)
# Options are given every time so that a folder configured otherwise before
# builds the same tree.
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVX18D_BUILD_TESTS=ON \
    -DVX18D_BUILD_BENCH=ON -DVX18D_BUILD_GUI=ON -DVX18D_SANITIZE=OFF -DCMAKE_INSTALL_PREFIX=/usr "$@" >/dev/null
ninja -C "$dir" -j"$(nproc)"
