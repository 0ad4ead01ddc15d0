#!/usr/bin/env bash
# Runs Kelvorin under Wine with the simulated dial-up service and its demo phone book
# (build/win32/bin/simras.cfg). Installs what is missing and builds first.
#   tools/run.sh            on the current X display, or a private one when there is none
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash tools/setup.sh
bash tools/build.sh win32

# shellcheck source=e2e-env.sh
source tools/e2e-env.sh
trap e2e_cleanup EXIT
e2e_setup build/win32
if [ -z "${DISPLAY:-}" ]; then
    e2e_start_display
    echo "No display: running on a private one ($DISPLAY); build/win32/run.png shows it"
    # A fresh picture of the screen every two seconds while the program runs.
    (
        e2e_drop_lock
        while sleep 2; do
            import -display "$DISPLAY" -window root "$root/build/win32/run.png.tmp.png" \
                2>/dev/null && mv -f "$root/build/win32/run.png.tmp.png" "$root/build/win32/run.png"
        done
    ) &
    E2E_WATCHER_PID=$!
fi
echo "Settings file: $WINEPREFIX/drive_c/windows/syswow64/corvantile.ini"
# The service is installed in the prefix's system directory; its phone book and log stay here.
export SIMRAS_CONFIG=${SIMRAS_CONFIG:-$(e2e_winpath "$E2E_BIN_DIR/simras.cfg")}
export SIMRAS_LOG=${SIMRAS_LOG:-$(e2e_winpath "$E2E_BIN_DIR/simras.log")}
# Lasts as long as the program runs.
e2e_unlocked wine explorer "/desktop=Kelvorin,${E2E_DESKTOP_SIZE}" "$E2E_BIN_DIR/kelvorin.exe"
