#!/usr/bin/env bash
# Drives the real editor with real X pointer and key events: drags three tiles from the tile panel
# onto the map, turns one with a right drag, moves it with the arrow key, saves with Ctrl+S, and lets
# test_app check the saved map. Usage: e2e_drag.sh GRIDVELLUM TEST_APP. It always runs itself inside a
# virtual X server of its own: on a shared display another test's window could take its clicks.
set -euo pipefail
program="$1"
checker="$2"
if [ -z "${GV_E2E_OWN_DISPLAY:-}" ]; then
    GV_E2E_OWN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

export GV_E2E_DIR="$work" QT_QPA_PLATFORM=offscreen
"$checker" --gtest_filter=EditorEndToEnd.PrepareProgramFolder >"$work/prepare.log" 2>&1 ||
    { cat "$work/prepare.log"; exit 1; }
# The editor reads its tilesets beside itself, so it runs from the prepared folder.
cp "$program" "$work/program/gridvellum"
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$work/config" GRIDVELLUM_GEOMETRY="$work/geometry.txt"
"$work/program/gridvellum" "$work/map.gv" >"$work/editor.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    [ -s "$work/geometry.txt" ] && break
    sleep 0.1
done
[ -s "$work/geometry.txt" ] || { echo "the editor drew no frame"; cat "$work/editor.log"; exit 1; }
read -r _ px py _ _ < <(grep '^panel ' "$work/geometry.txt")
read -r _ mx my mw mh < <(grep '^map ' "$work/geometry.txt")
window="$(xdotool search --sync --name 'map.gv')"
xdotool windowfocus --sync "$window" || true

# Screen points: panel client points, and world points of the map while it shows the empty map at
# 100 % with the world origin at the middle of the view (world y up).
panel_at() { echo "$((px + $1)) $((py + $2))"; }
world_at() { awk -v x="$1" -v y="$2" -v mx="$mx" -v my="$my" -v w="$mw" -v h="$mh" \
    'BEGIN { printf "%d %d\n", mx + int(w / 2) + x, my + (h - int(h / 2)) - y }'; }
move() { xdotool mousemove $1; sleep 0.05; }

# Opens the first category (its header bar), then drags cell n onto the world point (x, y).
move "$(panel_at 60 8)"
xdotool click 1
sleep 0.2
drag_cell() {
    local column=$(($1 % 2)) row=$(($1 / 2))
    move "$(panel_at $((column * 64 + 16)) $((17 + row * 64 + 32)))"
    xdotool mousedown 1
    sleep 0.05
    move "$(panel_at $((column * 64 + 20)) $((17 + row * 64 + 32)))"
    read -r tx ty < <(world_at "$2" "$3")
    for step in 1 2 3 4; do
        move "$(( (px + 60) + (tx - px - 60) * step / 4 )) $ty"
    done
    xdotool mouseup 1
    sleep 0.1
}
drag_cell 0 -192 64
drag_cell 1 0 64
drag_cell 2 192 64

# A right drag of a quarter turn about the middle tile's centre (0, 64).
move "$(world_at 40 64)"
xdotool mousedown 3
for degrees in 15 30 45 60 75 90; do
    read -r x y < <(awk -v d="$degrees" \
        'BEGIN { a = d * 3.14159265 / 180; printf "%d %d\n", 40 * cos(a), 64 + 40 * sin(a) }')
    move "$(world_at "$x" "$y")"
done
xdotool mouseup 3
sleep 0.1
xdotool key Right Right
sleep 0.1
before="$(stat -c %Y.%s "$work/map.gv")"
xdotool key ctrl+s
for _ in $(seq 100); do
    [ "$(stat -c %Y.%s "$work/map.gv")" != "$before" ] && break
    sleep 0.1
done
sleep 0.3
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""

export QT_QPA_PLATFORM=offscreen
"$checker" --gtest_filter=EditorEndToEnd.SavedMapHoldsTheDroppedTurnedAndMovedTiles
