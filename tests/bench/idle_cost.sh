#!/usr/bin/env bash
# Runs idle_cost_win under Wine in a prefix of its own, so that its wineserver serves only
# this benchmark, with a sound card that writes what it plays to a file (see
# capture_prefix.sh).
#   idle_cost.sh BIN_DIR WORK_DIR
set -euo pipefail
source "$(dirname "$0")/../win/capture_prefix.sh"
start_capture_prefix "$1" "$2"

# This prefix's server: the wineserver whose environment names the prefix.
server=
for pid in $(pgrep -x 'wineserver(64)?' || true); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        server=$pid
    fi
done

cd "$bin"
timeout 1500 "$wine" "$bin/idle_cost_win.exe" "${server:-0}" "$(winpath "$capture")" | tr -d '\r'
