#!/usr/bin/env bash
# Drives the real editor with real X pointer and key events through a crash: finds a tile with the
# search box (Ctrl+F and typing), drags it onto the map, moves it with the arrow keys, waits for the
# autosave copy, kills the editor with SIGKILL, starts it again, recovers with Enter in the recovery
# dialog and saves with Ctrl+S; test_app then checks the saved map. Usage: e2e_recover.sh GRIDVELLUM
# TEST_APP. It runs itself inside a virtual X server of its own, as e2e_drag.sh does.
set -euo pipefail
program="$1"
checker="$2"
if [ -z "${GV_E2E_OWN_DISPLAY:-}" ]; then
    GV_E2E_OWN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill -9 "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$1"; cat "$work/editor.log" 2>/dev/null || true; exit 1; }

export GV_E2E_DIR="$work" QT_QPA_PLATFORM=offscreen
"$checker" --gtest_filter=EditorEndToEnd.PrepareProgramFolder >"$work/prepare.log" 2>&1 ||
    { cat "$work/prepare.log"; exit 1; }
cp "$program" "$work/program/gridvellum"
# The shortest interval the user's settings allow.
echo "AutosaveSeconds=5" >>"$work/config/Local AppWizard-Generated Applications/Gridvellum.conf"
cp "$work/map.gv" "$work/original.gv"
copy="$work/state/Gridvellum/autosave/map.gv"
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"

GRIDVELLUM_GEOMETRY="$work/geometry.txt" "$work/program/gridvellum" "$work/map.gv" >"$work/editor.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    [ -s "$work/geometry.txt" ] && break
    sleep 0.1
done
[ -s "$work/geometry.txt" ] || fail "the editor drew no frame"
read -r _ px py _ _ < <(grep '^panel ' "$work/geometry.txt")
read -r _ mx my mw mh < <(grep '^map ' "$work/geometry.txt")
window="$(timeout 20 xdotool search --sync --name 'map.gv')"
xdotool windowfocus --sync "$window" || true

panel_at() { echo "$((px + $1)) $((py + $2))"; }
world_at() { awk -v x="$1" -v y="$2" -v mx="$mx" -v my="$my" -v w="$mw" -v h="$mh" \
    'BEGIN { printf "%d %d\n", mx + int(w / 2) + x, my + (h - int(h / 2)) - y }'; }
move() { xdotool mousemove $1; sleep 0.05; }

# The search leaves Floor B alone in the first cell of its category, which it opens.
xdotool key ctrl+f
sleep 0.2
xdotool type --delay 50 "floor b"
sleep 0.3
move "$(panel_at 16 $((17 + 32)))"
xdotool mousedown 1
sleep 0.05
move "$(panel_at 20 $((17 + 32)))"
read -r tx ty < <(world_at 0 64)
for step in 1 2 3 4; do
    move "$(((px + 60) + (tx - px - 60) * step / 4)) $ty"
done
xdotool mouseup 1
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
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""

export QT_QPA_PLATFORM=offscreen
"$checker" --gtest_filter=EditorEndToEnd.RecoveredMapHoldsTheSearchedDroppedAndMovedTile
