#!/usr/bin/env bash
# Runs voice_capture_win under Wine with a sound card that writes what it plays to a file:
# an ALSA file plugin over the null device, in the .asoundrc of a HOME of its own, and Wine's
# audio driver set to ALSA in a Wine prefix of its own (the shared one is left as it is).
#   voice_capture.sh BIN_DIR WORK_DIR
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

# A Wine call that hangs is ended and tried once more.
run() {
    timeout 60 "$wine" "$@" || { local rc=$?; [ $rc -eq 124 ] && timeout 60 "$wine" "$@"; return $?; }
}
run reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null

winpath() { printf 'Z:%s' "${1//\//\\}"; }
cd "$bin"
status=0
for which in play off keeps; do
    rm -f "$capture"
    run "$bin/voice_capture_win.exe" "$which" "$(winpath "$capture")" | tr -d '\r' || status=1
done
exit $status
