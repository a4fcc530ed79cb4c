# Sourced by the scripts: a display and a Wine prefix of our own under build/.
#   wine_env_start DIR [--use-display]
#                        starts Xvfb (or keeps the DISPLAY there is) and a
#                        persistent wineserver, exports DISPLAY and WINEPREFIX
#   wine_env_stop        stops what wine_env_start started, by pid
# The prefix is kept between runs, so later starts take a moment.

wine_env_start() {
    local dir=$1
    mkdir -p "$dir"
    if [ "${2:-}" != "--use-display" ]; then
        echo "Starting a virtual display (Xvfb, 1280x1024)."
        rm -f "$dir/display"
        # In a session of its own: a Ctrl+C in the terminal must not end the
        # display before the Wine programs drawing on it.
        setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
        WINE_ENV_XVFB_PID=$!
        local i
        for i in $(seq 1 100); do
            [ -s "$dir/display" ] && break
            sleep 0.1
        done
        if [ ! -s "$dir/display" ]; then
            echo "Xvfb did not start; see $dir/xvfb.log" >&2
            return 1
        fi
        export DISPLAY=":$(head -1 "$dir/display")"
    fi
    export WINEPREFIX="$dir/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    if [ ! -f "$WINEPREFIX/.velkora-ready" ]; then
        local started=$(date +%s)
        printf 'Preparing the Wine prefix in %s (once, about half a minute)... ' "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.velkora-ready"
        echo "done, $(($(date +%s) - started)) s."
    fi
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p
    # Start Wine's own background processes (services, the desktop) now,
    # with no output of ours: started later from a test they would inherit
    # the test runner's pipes and keep it waiting.
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    WINE_ENV_STARTED=1
}

wine_env_stop() {
    [ -n "${WINE_ENV_STARTED:-}" ] || return 0
    # Every Wine process ends before the display goes away, so that none of
    # them reports a broken X connection.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
        kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    fi
    WINE_ENV_STARTED=
}

# Prints the X window id of Velkora's window once it is visible (15 s at
# most); prints nothing if it never shows.
wait_for_velkora_window() {
    local id="" i
    for i in $(seq 1 150); do
        id=$(xdotool search --onlyvisible --class velkora.exe 2>/dev/null | head -1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
