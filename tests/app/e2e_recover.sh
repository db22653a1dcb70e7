#!/usr/bin/env bash
# Drives the real editor with real X pointer and key events through a crash: finds a tile with the
# search box (Ctrl+F and typing), drags it onto the map, moves it with the arrow keys, waits for the
# autosave copy, kills the editor with SIGKILL, starts it again, recovers with Enter in the recovery
# dialog and saves with Ctrl+S; test_app then checks the saved map. Usage: e2e_recover.sh GRIDVELLUM
# TEST_APP. It runs inside a virtual X server of its own (see e2e_common.sh).
set -euo pipefail
e2e_kill_signal=KILL
source "$(dirname "$0")/e2e_common.sh"

prepare EditorEndToEnd.PrepareProgramFolder
# The shortest interval the user's settings allow.
echo "AutosaveSeconds=5" >>"$work/config/Local AppWizard-Generated Applications/Gridvellum.conf"
cp "$work/map.gv" "$work/original.gv"
copy="$work/state/Gridvellum/autosave/map.gv"
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
start_editor

# The search leaves Floor B alone in the first cell of its category, which it opens.
xdotool key ctrl+f
sleep 0.2
xdotool type --delay 50 "floor b"
sleep 0.3
drag_from_panel 16 $((17 + 32)) 0 64
sleep 0.2
xdotool key Right Right
sleep 0.2

for _ in $(seq 150); do
    [ -s "$copy" ] && break
    sleep 0.1
done
[ -s "$copy" ] || fail "no autosave copy appeared"
cmp -s "$work/map.gv" "$work/original.gv" || fail "the autosave touched the map's own file"
sleep 0.5
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
pid=""
[ -s "$copy" ] || fail "the copy did not survive the crash"

"$work/program/gridvellum" "$work/map.gv" >"$work/editor.log" 2>&1 &
pid=$!
dialog="$(timeout 30 xdotool search --sync --name 'Recover Unsaved Maps')" || fail "no recovery dialog"
xdotool windowfocus --sync "$dialog" || true
sleep 0.3
xdotool key Return
window="$(timeout 20 xdotool search --sync --name 'map.gv')" || fail "no main window after recovery"
xdotool windowfocus --sync "$window" || true
sleep 0.3
xdotool key ctrl+s
for _ in $(seq 100); do
    cmp -s "$work/map.gv" "$work/original.gv" || break
    sleep 0.1
done
sleep 0.3
[ ! -e "$copy" ] || fail "the save left the autosave copy behind"
stop_editor

check EditorEndToEnd.RecoveredMapHoldsTheSearchedDroppedAndMovedTile
