#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: test-windows.sh DIR [NATIVE_DIR]
#   DIR         the Windows build (scripts/build-windows.sh DIR)
#   NATIVE_DIR  a native build with vx18d-sim and vx18dctl (default: build;
#               the two targets are built there when missing)
# 1. The core's unit tests (DIR/tests/core_tests.exe).
# 2. The stored settings through the registry: what the settings store
#    writes, `reg query` reads; what `reg add` writes, the store reads.
# 3. vx18dctl.exe --port COM7 against the simulated unit, which runs natively
#    on a pseudo-terminal that Wine's dosdevices link com7 points at: ping,
#    info, status, get, set and a small flash. The requests on the line, the
#    printed output and the exit statuses must be those of the Linux
#    vx18dctl doing the same.
# Wine runs in its own prefix (DIR/wine-prefix). Its output always goes to
# files: its services would inherit a pipe and hold it open.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(cd "$1" && pwd)
native=$(realpath -m "${2:-$root/build}")
logs=$dir/test-logs
rm -rf "$logs"
mkdir -p "$logs"

export WINEDEBUG=-all
export WINEPREFIX=$dir/wine-prefix
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
[ -x "$wine" ] || { echo "Wine is not installed (scripts/build-windows.sh installs it)"; exit 1; }
settings_key='HKLM\SOFTWARE\Corvanta\VX18D'

sim_pids=()
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    for pid in "${sim_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*"
    exit 1
}

# Runs a Windows program under Wine: output to files named after $1.
run_wine() {
    local name=$1; shift
    local status=0
    "$wine" "$@" >"$logs/$name.out" 2>"$logs/$name.err" || status=$?
    tr -d '\r' <"$logs/$name.out" >"$logs/$name.txt"
    return $status
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== A Wine prefix for the tests =="
    "$wine" wineboot -i >"$logs/wineboot.log" 2>&1
fi

echo "== The core's unit tests under Wine =="
if ! run_wine core_tests "$dir/tests/core_tests.exe"; then
    cat "$logs/core_tests.txt"
    fail "core_tests.exe"
fi
grep -E '^\[  PASSED  \]' "$logs/core_tests.txt"

echo "== The stored settings through the registry =="
run_wine reg_delete reg delete "$settings_key" /f || true
run_wine store_save "$dir/tests/settings_store_tool.exe" save COM7 115200 2 2 400 ||
    fail "the settings store did not save: $(cat "$logs/store_save.err")"
run_wine reg_query reg query "$settings_key" || fail "reg query found no settings key"
for expected in "COM_PORT REG_SZ COM7" "BAUD_RATE REG_DWORD 0x1c200" "PARITY REG_DWORD 0x2" \
    "STOPBITS REG_DWORD 0x2" "TIMEOUT REG_DWORD 0x190"; do
    tr -s ' ' <"$logs/reg_query.txt" | grep -qx " $expected" ||
        fail "reg query does not show \"$expected\" (see $logs/reg_query.txt)"
done
run_wine reg_add_port reg add "$settings_key" /v COM_PORT /t REG_SZ /d COM12 /f
run_wine reg_add_baud reg add "$settings_key" /v BAUD_RATE /t REG_DWORD /d 19200 /f
run_wine reg_add_timeout reg add "$settings_key" /v TIMEOUT /t REG_DWORD /d 0 /f
run_wine store_load "$dir/tests/settings_store_tool.exe" load ||
    fail "the settings store did not load: $(cat "$logs/store_load.err")"
printf 'COM_PORT=COM12\nBAUD_RATE=19200\nPARITY=2\nSTOPBITS=2\nTIMEOUT=0\n' >"$logs/store_expected.txt"
diff -u "$logs/store_expected.txt" "$logs/store_load.txt" ||
    fail "the settings store read other values than reg add wrote"
run_wine reg_delete reg delete "$settings_key" /f
echo "settings store and registry agree both ways"

echo "== vx18dctl.exe under Wine against the simulated unit =="
if [ ! -x "$native/sim/vx18d-sim" ] || [ ! -x "$native/cli/vx18dctl" ]; then
    [ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -DVX18D_BUILD_GUI=OFF \
        -DVX18D_BUILD_BENCH=OFF >/dev/null
    cmake --build "$native" -j"$(nproc)" --target vx18d-sim vx18dctl >/dev/null
fi
work=$logs/cli
mkdir -p "$work"
# A small firmware image: a few blocks.
head -c 2500 /dev/urandom >"$work/image.bin"
# Text and JSON, and values refused: the same printed lines and objects,
# messages and exit statuses are expected.
commands=("ping" "--json ping" "info" "--json info" "status" "--json status" "get 1"
          "--json set 1 freq=2250.5MHz" "--json get 1" "set 1 freq=2250.5THz" "get 3"
          "flash image.bin")

# Starts a simulated unit with its ports folder in $1, its requests to $2;
# its process id in $started.
start_simulator() {
    mkdir -p "$1"
    "$native/sim/vx18d-sim" --port COM7 --ports-dir "$1" --requests "$2" >"$2.sim.log" 2>&1 &
    started=$!
    sim_pids+=("$started")
    for _ in $(seq 100); do [ -L "$1/COM7" ] && return 0; sleep 0.05; done
    fail "the simulated unit did not start ($(cat "$2.sim.log"))"
}

stop_simulator() {
    kill "$1"
    wait "$1" || fail "the simulated unit did not stop cleanly"
}

# The two runs go side by side, each with a simulated unit of its own (the
# flash ends in the unit's minute of programming).
linux=$work/linux
windows=$work/windows
mkdir -p "$linux" "$windows"
start_simulator "$linux/config/ports" "$linux/requests.txt"
linux_sim=$started
start_simulator "$windows/ports" "$windows/requests.txt"
windows_sim=$started

# The Linux run: its own configuration, data and cache folders.
linux_run() {
    for i in "${!commands[@]}"; do
        read -ra args <<<"${commands[$i]}"
        status=0
        (cd "$work" && VX18D_CONFIG_DIR="$linux/config" VX18D_DATA_DIR="$linux/data" \
            VX18D_CACHE_DIR="$linux/cache" "$native/cli/vx18dctl" --port COM7 "${args[@]}" \
            >"$linux/$i.txt" 2>"$linux/$i.err") || status=$?
        echo "$status" >"$linux/$i.status"
    done
}
linux_run &
linux_pid=$!

# The Windows run: the registry holds no settings, as the Linux run's folder.
run_wine reg_delete reg delete "$settings_key" /f || true
ln -sfn "$(readlink "$windows/ports/COM7")" "$WINEPREFIX/dosdevices/com7"
for i in "${!commands[@]}"; do
    read -ra args <<<"${commands[$i]}"
    status=0
    (cd "$work" && VX18D_CONFIG_DIR="Z:$windows/config" VX18D_DATA_DIR="Z:$windows/data" \
        VX18D_CACHE_DIR="Z:$windows/cache" run_wine "cli/windows-$i" "$dir/cli/vx18dctl.exe" \
        --port COM7 "${args[@]}") || status=$?
    mv "$logs/cli/windows-$i.txt" "$windows/$i.txt"
    tr -d '\r' <"$logs/cli/windows-$i.err" >"$windows/$i.err"
    echo "$status" >"$windows/$i.status"
done
# Wine lets go of the pseudo-terminal before the simulated unit closes it.
"$wineserver" -k 2>/dev/null || true
rm -f "$WINEPREFIX/dosdevices/com7"
wait "$linux_pid"
stop_simulator "$linux_sim"
stop_simulator "$windows_sim"
sim_pids=()

# What differs from run to run: the time of a sample, the transfer rate.
for run in "$linux" "$windows"; do
    for i in "${!commands[@]}"; do
        for part in txt err; do
            sed -E -e 's/"time":"[^"]*"/"time":"T"/g; s/^(sample [0-9]+ +)[0-9:.]+$/\1T/' \
                -e 's/[0-9.]+ kB\/s/R kB\/s/g' \
                "$run/$i.$part" >"$run/$i.$part.compared"
        done
    done
done

failed=0
for i in "${!commands[@]}"; do
    for part in status txt.compared err.compared; do
        if ! diff -u "$linux/$i.$part" "$windows/$i.$part" >"$work/$i.$part.diff"; then
            echo "vx18dctl ${commands[$i]}: the Windows run differs ($part):"
            cat "$work/$i.$part.diff"
            failed=1
        fi
    done
done
if ! diff -u "$linux/requests.txt" "$windows/requests.txt" >"$work/requests.diff"; then
    echo "the requests on the line differ:"
    head -40 "$work/requests.diff"
    failed=1
fi
[ "$failed" -eq 0 ] || fail "vx18dctl.exe does not behave as vx18dctl"
echo "vx18dctl.exe: ${#commands[@]} commands, $(wc -l <"$linux/requests.txt") requests on the" \
    "line, output and exit statuses as on Linux"
echo "== Windows tests passed =="
