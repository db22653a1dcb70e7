#!/usr/bin/env bash
# Drives the real editor with real key presses: Ctrl+A, Delete, Ctrl+Z and Ctrl+S must save the map
# as it was; Ctrl+A, Ctrl+C, Ctrl+V and Ctrl+S must save every tile twice; F1 must ask the desktop's
# opener (a stand-in early on PATH that writes down what it was asked) to open help.txt. test_app
# lays out the folder before and checks the results after. Usage: e2e_keys.sh GRIDVELLUM TEST_APP.
set -euo pipefail
source "$(dirname "$0")/e2e_common.sh"

prepare EditorKeys.PrepareProgramFolder
mkdir -p "$work/bin"
cat >"$work/bin/xdg-open" <<STANDIN
#!/bin/sh
echo "\$@" >> "$work/asked.txt"
STANDIN
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH" XDG_CONFIG_HOME="$work/config"
start_editor
# A click in the map view's corner, far from the tiles, gives it the keyboard.
xdotool mousemove $((mx + 8)) $((my + 8))
sleep 0.1
xdotool click 1
sleep 0.2

stamp() { stat -c %y "$work/map.gv"; }
# Presses the keys, then Ctrl+S, and keeps the saved map under the given name.
keys_then_save() {
    local name="$1"
    shift
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.15
    done
    local before
    before="$(stamp)"
    xdotool key ctrl+s
    for _ in $(seq 100); do
        [ "$(stamp)" != "$before" ] && break
        sleep 0.1
    done
    [ "$(stamp)" != "$before" ] || { echo "Ctrl+S saved nothing after $*"; cat "$work/editor.log"; exit 1; }
    sleep 0.2
    cp "$work/map.gv" "$work/$name"
}
keys_then_save undone.gv ctrl+a Delete ctrl+z
keys_then_save doubled.gv ctrl+a ctrl+c ctrl+v

xdotool key F1
for _ in $(seq 50); do
    [ -s "$work/asked.txt" ] && break
    sleep 0.1
done
stop_editor

check EditorKeys.SavedMapsAndTheOpenedHelpFollowTheKeys
