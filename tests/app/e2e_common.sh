# What the end-to-end scripts share; each sources this first, with its own arguments GRIDVELLUM
# TEST_APP. The run always happens inside a virtual X server of its own: on a shared display another
# test's window could take its clicks. A script that kills the editor on purpose sets
# e2e_kill_signal=KILL before sourcing, so that the clean-up does the same.
program="$1"
checker="$2"
if [ -z "${GV_E2E_OWN_DISPLAY:-}" ]; then
    GV_E2E_OWN_DISPLAY=1 exec "$(dirname "$0")/../../scripts/virtual-display" "$0" "$@"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill -"${e2e_kill_signal:-TERM}" "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$1"; cat "$work/editor.log" 2>/dev/null || true; exit 1; }

# Lays out the program folder and the map through the named test_app case, and puts the editor
# there: it reads its tilesets beside itself. The editor then runs on the real display.
prepare() {
    export GV_E2E_DIR="$work"
    QT_QPA_PLATFORM=offscreen "$checker" --gtest_filter="$1" >"$work/prepare.log" 2>&1 ||
        { cat "$work/prepare.log"; exit 1; }
    cp "$program" "$work/program/gridvellum"
    unset QT_QPA_PLATFORM
}

# Starts the editor on the map, waits for its first frame, reads where the panel (px, py) and the map
# view (mx, my, mw, mh) are on the screen, and focuses its window.
start_editor() {
    GRIDVELLUM_GEOMETRY="$work/geometry.txt" "$work/program/gridvellum" "$work/map.gv" >"$work/editor.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        [ -s "$work/geometry.txt" ] && break
        sleep 0.1
    done
    [ -s "$work/geometry.txt" ] || fail "the editor drew no frame"
    read -r _ px py _ _ < <(grep '^panel ' "$work/geometry.txt")
    read -r _ mx my mw mh < <(grep '^map ' "$work/geometry.txt")
    window="$(timeout 20 xdotool search --sync --name 'map.gv')" || fail "no editor window"
    xdotool windowfocus --sync "$window" || true
}

stop_editor() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
}

# Screen points: panel client points, and world points of the map while it shows the empty map at
# 100 % with the world origin at the middle of the view (world y up).
panel_at() { echo "$((px + $1)) $((py + $2))"; }
world_at() {
    awk -v x="$1" -v y="$2" -v mx="$mx" -v my="$my" -v w="$mw" -v h="$mh" \
        'BEGIN { printf "%d %d\n", mx + int(w / 2) + x, my + (h - int(h / 2)) - y }'
}
move() { xdotool mousemove $1; sleep 0.05; }

# Presses on the panel point (x, y), moves a little within the panel and then in four steps onto the
# world point (wx, wy), and lets go there.
drag_from_panel() {
    move "$(panel_at "$1" "$2")"
    xdotool mousedown 1
    sleep 0.05
    move "$(panel_at $(($1 + 4)) "$2")"
    local tx ty
    read -r tx ty < <(world_at "$3" "$4")
    for step in 1 2 3 4; do
        move "$(((px + 60) + (tx - px - 60) * step / 4)) $ty"
    done
    xdotool mouseup 1
}

# The checking half, in test_app, on the folder the run left.
check() { QT_QPA_PLATFORM=offscreen "$checker" --gtest_filter="$1"; }
