#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once in a normal
# build, once under AddressSanitizer and UndefinedBehaviorSanitizer; and the
# Windows build's tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Build and test =="
scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 300

echo "== The Windows build: the core's tests, the registry and vx18dctl.exe under Wine =="
scripts/build-windows.sh build-windows
scripts/test-windows.sh build-windows build

echo "== The Debian package: build, check, install, run =="
scripts/test-package.sh build

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
scripts/build.sh build-sanitize -DVX18D_SANITIZE=ON -DVX18D_BUILD_BENCH=OFF
ctest --test-dir build-sanitize --output-on-failure --timeout 600
