#!/usr/bin/env bash
# Runs idle_cost_win under Wine in a prefix of its own (so that its wineserver serves only
# this benchmark) with a sound card that writes what it plays to a file: an ALSA file
# plugin over the null device, in the .asoundrc of a HOME of its own.
#   idle_cost.sh BIN_DIR WORK_DIR
set -euo pipefail
bin=$(realpath -m "$1")
work=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
fixture=$here/../../tools/wine-fixture
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

rm -rf "$work"
mkdir -p "$work/home"
capture=$work/capture.raw
cat >"$work/home/.asoundrc" <<ASOUND
pcm.!default { type file slave.pcm "null" file "|cat >> $capture" format "raw" }
ASOUND
export HOME=$work/home
export WINEPREFIX=$work/prefix
trap '"$fixture" stop "$WINEPREFIX" >/dev/null 2>&1 || true' EXIT
"$fixture" start "$WINEPREFIX" "$bin/wine_keeper.exe" >/dev/null
timeout 60 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null

# This prefix's server: the wineserver whose environment names the prefix.
server=
for pid in $(pgrep -x 'wineserver(64)?' || true); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        server=$pid
    fi
done

winpath() { printf 'Z:%s' "${1//\//\\}"; }
cd "$bin"
timeout 1500 "$wine" "$bin/idle_cost_win.exe" "${server:-0}" "$(winpath "$capture")" | tr -d '\r'
