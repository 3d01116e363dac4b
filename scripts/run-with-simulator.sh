#!/usr/bin/env bash
# Installs what is needed, builds, starts the simulated unit on COM7 and
# opens the program against it. The demo keeps its own configuration folder
# (build/demo-config), so the operator's own settings stay untouched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
scripts/build.sh build

export VX18D_CONFIG_DIR="$root/build/demo-config"
export VX18D_DATA_DIR="$root/build/demo-data"
mkdir -p "$VX18D_CONFIG_DIR/ports"
if [ ! -f "$VX18D_CONFIG_DIR/vx18d.reg" ]; then
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n"COM_PORT"="COM7"\r\n"BAUD_RATE"=dword:0000e100\r\n' \
        > "$VX18D_CONFIG_DIR/vx18d.reg"
fi

build/sim/vx18d-sim --port COM7 --ports-dir "$VX18D_CONFIG_DIR/ports" "$@" &
sim=$!
stop_simulator() { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true; }
trap stop_simulator EXIT
trap 'exit 130' INT TERM
for _ in $(seq 50); do [ -e "$VX18D_CONFIG_DIR/ports/COM7" ] && break; sleep 0.1; done

build/ui/vx18d
