# Sourced by the scripts that run a program under Wine in a prefix of their own, with a sound
# card that writes what it plays to a file: an ALSA file plugin over the null device, in the
# .asoundrc of a HOME of their own, and Wine's audio driver set to ALSA (the shared test
# prefix is left as it is).
#   start_capture_prefix BIN_DIR WORK_DIR
# sets bin, work, capture (the file), HOME, WINEPREFIX and wine, and stops the prefix's
# server on exit. run runs a Wine call, and once more if it hangs; winpath makes a Z: path.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
fixture=$here/../../tools/wine-fixture
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

run() {
    timeout 60 "$wine" "$@" || { local rc=$?; [ $rc -eq 124 ] && timeout 60 "$wine" "$@"; return $?; }
}

winpath() { printf 'Z:%s' "${1//\//\\}"; }

start_capture_prefix() {
    bin=$(realpath -m "$1")
    work=$(realpath -m "$2")
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
    run reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null
}
