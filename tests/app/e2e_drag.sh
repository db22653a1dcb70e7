#!/usr/bin/env bash
# Drives the real editor with real X pointer and key events: drags three tiles from the tile panel
# onto the map, turns one with a right drag, moves it with the arrow key, saves with Ctrl+S, and lets
# test_app check the saved map. Usage: e2e_drag.sh GRIDVELLUM TEST_APP. It runs inside a virtual X
# server of its own (see e2e_common.sh).
set -euo pipefail
source "$(dirname "$0")/e2e_common.sh"

prepare EditorEndToEnd.PrepareProgramFolder
export XDG_CONFIG_HOME="$work/config"
# With GV_E2E_OPENGL=1 the editor starts with OpenGL stored on: the same events reach the tools
# through the OpenGL surface that covers the map view.
if [ "${GV_E2E_OPENGL:-0}" = 1 ]; then
    printf 'OpenGL=@ByteArray(\\x1)\n' >>"$work/config/Local AppWizard-Generated Applications/Gridvellum.conf"
fi
start_editor
if [ "${GV_E2E_OPENGL:-0}" = 1 ]; then
    grep -qx 'renderer opengl' "$work/geometry.txt" || fail "the editor did not draw through OpenGL"
fi

# Opens the first category (its header bar), then drags cell n onto the world point (x, y).
move "$(panel_at 60 8)"
xdotool click 1
sleep 0.2
drag_cell() {
    local column=$(($1 % 2)) row=$(($1 / 2))
    drag_from_panel $((column * 64 + 16)) $((17 + row * 64 + 32)) "$2" "$3"
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
stop_editor

check EditorEndToEnd.SavedMapHoldsTheDroppedTurnedAndMovedTiles
