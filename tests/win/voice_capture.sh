#!/usr/bin/env bash
# Runs voice_capture_win under Wine with a sound card that writes what it plays to a file
# (see capture_prefix.sh).
#   voice_capture.sh BIN_DIR WORK_DIR
set -euo pipefail
source "$(dirname "$0")/capture_prefix.sh"
start_capture_prefix "$1" "$2"
cd "$bin"
run "$bin/voice_capture_win.exe" "$(winpath "$capture")" | tr -d '\r'
