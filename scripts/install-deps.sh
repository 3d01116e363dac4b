#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev
    qt6-base-dev qt6-svg-dev libgl-dev libasound2-dev
    libcli11-dev nlohmann-json3-dev
    fonts-dejavu-core fonts-liberation2 xdg-utils ccache
    lintian desktop-file-utils appstream man-db systemd
    libtelnet-dev ser2net
    prometheus-cpp-dev prometheus
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
