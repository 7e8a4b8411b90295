#!/bin/sh
# Right-clicks the document list and the preview of the program under a
# virtual X server and a window manager, and counts how often the context
# menu opens and is still open a second later.
#
#   scripts/menu-check.sh DISPLAY-NUMBER "WINDOW-MANAGER COMMAND" [TRIES] [INSTALLATION]
#   scripts/menu-check.sh 23 "twm -f /path/to/twmrc" 20
#   scripts/menu-check.sh 23 openbox 20
#
# Needs Xvfb, xdotool and the window manager. The program runs in a private
# home and configuration folder and is ended through the host link, so the
# library is left as it was.
set -eu
display=":$1"
wm=$2
tries=${3:-20}
install=${4:-$(dirname "$0")/../build/bin}
install=$(cd "$install" && pwd)

work=$(mktemp -d)
pids=""
cleanup() {
    "$install/vorlagen-host" --install "$install" '$Ende$' >/dev/null 2>&1 || true
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

export DISPLAY="$display" HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/run" temp="$work/temp"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$temp"
mkdir -m 700 "$XDG_RUNTIME_DIR"

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
sleep 1
$wm >"$work/wm.log" 2>&1 &
pids="$pids $!"
sleep 1
"$install/vorlagen" >"$work/program.log" 2>&1 &
pids="$pids $!"

window=""
for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name '^Veltrano Vorlagen-Bibliothek$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "Das Programm erschien nicht." >&2; exit 2; }
sleep 1

visible() { xdotool search --onlyvisible --class vorlagen 2>/dev/null | wc -l; }
eval "$(xdotool getwindowgeometry --shell "$window")"

total=0
for target in list preview; do
    if [ "$target" = list ]; then x=$((X + 100)); y=$((Y + 200)); else x=$((X + WIDTH - 100)); y=$((Y + 200)); fi
    opened=0
    for _ in $(seq "$tries"); do
        xdotool mousemove "$x" "$y" click 3
        sleep 0.4
        first=$(visible)
        sleep 1
        second=$(visible)
        [ -n "${MENU_CHECK_VERBOSE:-}" ] && echo "$target $x,$y: $first $second" >&2
        [ "$first" -ge 2 ] && [ "$second" -ge 2 ] && opened=$((opened + 1))
        # Esc closes the menu; without one it would end the program.
        [ "$(visible)" -ge 2 ] && xdotool key Escape
        for _ in $(seq 20); do [ "$(visible)" -le 1 ] && break; sleep 0.1; done
    done
    echo "$target: Menü $opened von $tries Mal geöffnet und offen geblieben"
    total=$((total + opened))
done
[ "$total" -eq $((2 * tries)) ]
