#!/bin/bash
# The run command: installs what is missing, builds the shipped 32-bit
# Velkora.exe and the receiver, and starts both under Wine. The receiver
# plays the messenger and prints, in this terminal, every status record
# Velkora sends. Stop with Ctrl+C.
#
# Without a display, a virtual one is started; the window is then saved as
# a screenshot and the script ticks the uptime source and presses the
# activate button itself, so that a line arrives.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh run
scripts/build.sh win32 Velkora status-monitor

source scripts/wine-env.sh
virtual=0
pids=()
cleanup() {
    trap '' INT TERM
    # The programs first, then Wine, then the display they draw on.
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wine_env_stop
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
if [ -z "${DISPLAY:-}" ]; then
    virtual=1
    echo "No display: Velkora's window goes to a virtual one."
    wine_env_start "$root/build/wine"
else
    wine_env_start "$root/build/wine" --use-display
fi

wine build/win32/status-monitor.exe &
pids+=($!)
sleep 1
wine build/win32/Velkora.exe &
velkora=$!
pids+=($velkora)

if [ "$virtual" = 1 ]; then
    id=$(wait_for_velkora_window)
    if [ -n "$id" ]; then
        sleep 1.5
        if import -window "$id" "$root/build/velkora-window.png" 2>/dev/null; then
            echo "The window is saved as build/velkora-window.png."
        else
            echo "The window could not be saved as a picture."
        fi
        # Tick "Sistem açık kalma süresini Göster" and press the activate
        # button, at the middle of each as the window's description places
        # them in twips; the window is 6060 twips wide at whatever DPI it has.
        # The window is looked up again for each click (Wine may give it a
        # new X window), and a click that fails is tried once more.
        click_at() {
            local id width try
            for try in 1 2; do
                id=$(wait_for_velkora_window)
                width=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | sed -n 's/^WIDTH=//p')
                if [ -n "$width" ] && xdotool mousemove --window "$id" $(($1 * width / 6060)) $(($2 * width / 6060)) \
                        click 1 2>/dev/null; then
                    return 0
                fi
                sleep 0.5
            done
            return 1
        }
        echo "Starting the uptime source: a line arrives now and every 30 seconds. Ctrl+C ends."
        if ! { click_at 3127 2047 && sleep 0.3 && click_at 3067 7747; }; then
            echo "The clicks did not reach the window: tick a source and press \"Kişşisel İletileri Aktif Et (Güncelle)\" yourself (DISPLAY=$DISPLAY)."
        fi
    fi
else
    echo "Velkora is running: tick a source and press \"Kişşisel İletileri Aktif Et (Güncelle)\"; Ctrl+C ends."
fi
wait "$velkora" || true
