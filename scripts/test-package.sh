#!/usr/bin/env bash
# Builds the Debian package in a build folder configured with
# -DCMAKE_INSTALL_PREFIX=/usr (scripts/build.sh does), checks it as Debian's
# tools do, installs it, runs the installed vx18dctl against the installed
# simulated unit, and removes it again.   test-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

cd "$build"
rm -f vx18d_*.deb
cpack -G DEB >/dev/null
deb=$(ls vx18d_*_amd64.deb)
echo "Package: $deb"

# No errors and no warnings. What lintian still reports at the info level:
# - binary-has-unneeded-section .comment: CPack strips with plain strip(1),
#   which keeps the compiler's identification; it costs a few hundred bytes.
# - spelling-error-in-binary: a word in the command-line library's own texts.
lintian --fail-on error,warning --suppress-tags binary-has-unneeded-section "$deb"
desktop-file-validate "$root/packaging/com.corvanta.vx18d.desktop"
appstreamcli validate --no-net "$root/packaging/com.corvanta.vx18d.metainfo.xml"

work=$(mktemp -d)
sim_pid=""
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    $sudo dpkg -r vx18d >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# apt resolves the package's dependencies as a user's install would.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "$build/$deb" >/dev/null
for program in vx18d vx18dctl vx18d-sim vx18d-server; do
    [ "$(command -v "$program")" = "/usr/bin/$program" ]
    man -w "$program" >/dev/null
done
/usr/bin/vx18d --version | grep -qx "vx18d [0-9.]*"
/usr/bin/vx18d-server --version | grep -qx "vx18d-server [0-9.]*"
systemd-analyze verify vx18d-server@COM7.service

export VX18D_CONFIG_DIR="$work/config"
/usr/bin/vx18d-sim --port COM7 >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
    [ -e "$VX18D_CONFIG_DIR/ports/COM7" ] && break
    sleep 0.1
done
/usr/bin/vx18dctl --port COM7 ping | tee "$work/ping.txt"
grep -qx "COM7: online" "$work/ping.txt"
/usr/bin/vx18dctl --port COM7 --json info >"$work/info.json"
grep -q '"serial_number":"0012-ABCD"' "$work/info.json"
/usr/bin/vx18dctl --port COM7 status --count 2 >"$work/status.txt"
echo "Installed package: vx18dctl against vx18d-sim: ping, info and status answered"

# The installed server in front of the simulated unit, its metrics read over
# plain HTTP (bash's /dev/tcp): the libraries it links come with the package's
# dependencies.
# A loopback port nothing answers on.
free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 40000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
    done
}
listen_port=$(free_port)
metrics_port=$(free_port)
/usr/bin/vx18d-server --port COM7 --listen "127.0.0.1:$listen_port" \
    --metrics "127.0.0.1:$metrics_port" >"$work/server.log" 2>&1 &
server_pid=$!
scrape() (
    exec 3<>"/dev/tcp/127.0.0.1/$metrics_port" || exit 1
    printf 'GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3
    tr -d '\r' <&3
)
for _ in $(seq 50); do
    scrape >"$work/metrics.txt" 2>/dev/null && grep -qx "vx18d_up 1" "$work/metrics.txt" && break
    sleep 0.2
done
grep -qx "vx18d_up 1" "$work/metrics.txt" || { cat "$work/server.log" "$work/metrics.txt"; exit 1; }
grep -q '^vx18d_rssi_dbm{receiver="1"} ' "$work/metrics.txt"
kill "$server_pid"
wait "$server_pid"
server_pid=""
echo "Installed package: vx18d-server --metrics in front of vx18d-sim: the unit is up"
