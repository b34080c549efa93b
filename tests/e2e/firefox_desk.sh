#!/bin/sh
# The Unix side of the real-Firefox test: a headless Firefox ESR with the built extension in a
# fresh profile, and ymthelp.exe as its native host under the test's Wine prefix.
#   firefox_desk.sh start RUN PROFILE XPI HOST_EXE URL   prepare and start Firefox (detached)
#   firefox_desk.sh quit RUN                             ask Firefox to end, as a user does
#   firefox_desk.sh stop RUN                             kill them all (idempotent)
# RUN holds Firefox's private HOME, the host's manifest and script, the log and the id of
# Firefox's session (also Firefox's own process id); PROFILE is a folder the program reads too.
set -eu

# Every process Firefox starts (content processes, the host and its Wine process) stays in
# the session that setsid opened for it.
stop() {
    [ -f "$1/firefox.sid" ] || return 0
    pids=$(ps -e -o sid=,pid= | awk -v sid="$(cat "$1/firefox.sid")" '$1 == sid { print $2 }')
    [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
    rm -f "$1/firefox.sid"
}

start() {
    run=$1 profile=$2 xpi=$3 host_exe=$4 url=$5
    : "${WINEPREFIX:?the host runs in the test prefix}"
    [ -n "$run" ] && [ -n "$profile" ] || exit 2
    stop "$run"
    rm -rf "$run" "$profile"
    mkdir -p "$run/home/.mozilla/native-messaging-hosts" "$profile/extensions"

    # Firefox starts the host with its own environment; the host runs in this prefix, where
    # ymt.exe reads the profile folders.
    cat >"$run/ymthelp-host" <<EOF2
#!/bin/sh
WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all WINEARCH=win64 exec /usr/lib/wine/wine64 '$host_exe' "\$@"
EOF2
    chmod +x "$run/ymthelp-host"
    cat >"$run/home/.mozilla/native-messaging-hosts/ymthelp.json" <<EOF2
{"name": "ymthelp", "description": "ymthelp.exe under Wine", "path": "$run/ymthelp-host",
 "type": "stdio", "allowed_extensions": ["ymthelp@yomitoki"]}
EOF2

    # The package as a user would install it; the profile scope is enabled without a prompt.
    # Every address goes to a proxy that refuses it: the tab keeps its address.
    cp "$xpi" "$profile/extensions/ymthelp@yomitoki.xpi"
    cat >"$profile/user.js" <<'EOF2'
user_pref("xpinstall.signatures.required", false);
user_pref("extensions.autoDisableScopes", 0);
user_pref("extensions.enabledScopes", 15);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("network.proxy.type", 1);
user_pref("network.proxy.http", "127.0.0.1");
user_pref("network.proxy.http_port", 9);
user_pref("network.proxy.ssl", "127.0.0.1");
user_pref("network.proxy.ssl_port", 9);
EOF2

    # Detached from the caller's pipes, in a session of its own whose id is the shell's pid.
    cd "$run"
    HOME="$run/home" XDG_CONFIG_HOME="$run/home/.config" XDG_CACHE_HOME="$run/home/.cache" \
        MOZ_CRASHREPORTER_DISABLE=1 MOZ_DISABLE_AUTO_SAFE_MODE=1 \
        setsid sh -c 'echo $$ >firefox.sid; exec firefox-esr --headless --profile "$0" "$1"' \
        "$profile" "$url" </dev/null >"$run/firefox.log" 2>&1 &
}

case "${1:-}" in
    start) start "$2" "$3" "$4" "$5" "$6" ;;
    quit) [ ! -f "$2/firefox.sid" ] || kill -TERM "$(cat "$2/firefox.sid")" 2>/dev/null || true ;;
    stop) stop "$2" ;;
    *) echo "usage: $0 start RUN PROFILE XPI HOST_EXE URL | quit RUN | stop RUN" >&2; exit 2 ;;
esac
