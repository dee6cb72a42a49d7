#!/usr/bin/env bash
# Takes the pictures of the window in docs/: window-it.png (Italian) and
# window-en.png (English), each of the real kestra-updater halfway through a
# transfer to kestra-sim: the progress bar partly filled, the status
# "Trasferimento in corso..." or its English; and history-en.png, its history
# view after a few updates by kestra-flash.
#
#   scripts/screenshots.sh [build-dir]
#
# Without a build folder it builds into build/ first (scripts/setup.sh).
# Installs Xvfb, xdotool and ImageMagick when they are missing. The window runs
# on a virtual X server (Xvfb), is driven with xdotool as a user would (the
# address typed, Connect, Open... and a firmware file typed into Qt's file
# dialog, the device's Connect, Transfer) and taken with ImageMagick's import.
#
# The window reaches its module at port 7999 only, so everything runs in a
# network namespace of its own (unshare), where 127.0.0.1:7999 is free
# whatever else runs and nothing but its loopback exists. Where namespaces are
# not allowed, it runs here, and 127.0.0.1:7999 must be free.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "screenshots: $*" >&2
    exit 1
}

if [ "${KESTRA_SCREENSHOTS_INSIDE:-}" != 1 ]; then
    if [ $# -gt 0 ]; then
        build_dir=$1
    else
        build_dir=build
        scripts/setup.sh "$build_dir"
    fi
    for program in kestra-updater kestra-sim; do
        [ -x "$build_dir/$program" ] || fail "no $build_dir/$program (run scripts/setup.sh $build_dir first)"
    done
    scripts/ensure-packages.sh xvfb xdotool imagemagick fonts-dejavu-core iproute2
    export KESTRA_SCREENSHOTS_INSIDE=1
    if unshare --map-root-user --net true 2>/dev/null; then
        exec unshare --map-root-user --net "$0" "$build_dir"
    fi
    echo "screenshots: no network namespace allowed here; using this machine's 127.0.0.1:7999"
    ! (exec 3<>/dev/tcp/127.0.0.1/7999) 2>/dev/null || fail "127.0.0.1:7999 is taken"
    exec "$0" "$build_dir"
fi

build_dir=$(cd "$1" && pwd)
if [ "$(ip -brief link show lo 2>/dev/null | awk '{ print $2 }')" = DOWN ]; then
    ip link set lo up
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || fail "waited ${seconds}s for $what"
        sleep 0.1
    done
}

# The virtual screen; -displayfd picks a free display number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 10 "Xvfb" test -s "$work/display"
DISPLAY=:$(cat "$work/display")
export DISPLAY
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# A firmware file for the simulator's device (CPU "s", bootloader 1.2,
# firmware 3.05, board KR01): 120000 bytes of image, 469 pages or 938 half pages.
firmware_dir=$work/firmware
mkdir -p "$firmware_dir"
"$build_dir/kestra-sim" --write-firmware "$firmware_dir/KESTRA.BIN" --size 120000 >/dev/null
"$build_dir/kestra-sim" --write-firmware "$firmware_dir/OTHER.BIN" --board KS01 >/dev/null
# The updates of the pictures are recorded here, not in the user's history.
export XDG_DATA_HOME=$work/data
half_pages=938
# The picture is taken once the simulator has seen this many half pages.
half_pages_shown=$((half_pages * 45 / 100))

# The controls' centres in twips (1/1440 inch) inside the window's client area,
# below the menu bar: each frame's place plus the control's centre, as
# app/form1_layout.cpp places them.
declare -A centre_x=([Text1]=$((120 + 2760 + 1455 / 2)) [Command5]=$((120 + 240 + 1095 / 2))
    [Command6]=$((120 + 240 + 1095 / 2)) [Command7]=$((120 + 240 + 1095 / 2)) [Command2]=$((120 + 240 + 1095 / 2)))
declare -A centre_y=([Text1]=$((120 + 360 + 285 / 2)) [Command5]=$((120 + 360 + 375 / 2))
    [Command6]=$((1680 + 360 + 375 / 2)) [Command7]=$((3120 + 360 + 375 / 2)) [Command2]=$((3120 + 1320 + 375 / 2)))
client_twips_width=4695
client_twips_height=6990

half_pages_seen() {
    local count
    count=$(grep -c '^<- 50 47 50 ' "$sim_log" || true)
    ((count >= $1))
}

dialog_gone() {
    ! xdotool search --onlyvisible --name '^(Apri|Open) Firmware$' >/dev/null 2>&1
}

# Clicks a control of the window by its name.
click() {
    local x=$((win_x + centre_x[$1] * win_width / client_twips_width))
    local y=$((client_y + centre_y[$1] * win_width / client_twips_width))
    xdotool mousemove --sync "$x" "$y" click 1
}

# shoot LANGUAGE NAME: LANGUAGE as BootLoader.ini holds it (0 Italian,
# 1 English), the picture docs/window-NAME.png.
shoot() {
    local language=$1 name=$2
    echo "screenshots: docs/window-$name.png"

    # Not --quiet: its line per half page tells how far the transfer is. Each
    # half page is answered 10 ms late, so that the transfer takes seconds.
    sim_log=$work/sim-$name.log
    "$build_dir/kestra-sim" --fault 'PGP:delay:10' >"$sim_log" 2>&1 &
    local sim_pid=$!
    pids+=("$sim_pid")
    wait_for 10 "kestra-sim to listen" grep -q '^listening on 127.0.0.1:7999' "$sim_log"

    # A copy of the program in a folder that holds its settings: the language
    # and the firmware folder the file dialog opens in.
    local app_dir=$work/app-$name
    mkdir -p "$app_dir"
    cp "$build_dir/kestra-updater" "$app_dir/"
    printf 'Path = %s/\r\nLanguage = %s\r\n' "$firmware_dir" "$language" >"$app_dir/BootLoader.ini"
    "$app_dir/kestra-updater" >"$work/updater-$name.log" 2>&1 &
    local updater_pid=$!
    pids+=("$updater_pid")

    local win
    win=$(timeout 20 xdotool search --sync --onlyvisible --name '^KESTRA Firmware updater') ||
        fail "the window did not show"
    win=${win%%$'\n'*}
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$win" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    win_x=$X win_width=$WIDTH
    # The client area is as wide as the window and sits at its bottom.
    local client_height=$((client_twips_height * WIDTH / client_twips_width))
    client_y=$((Y + HEIGHT - client_height))

    click Text1
    xdotool key ctrl+a
    xdotool type --delay 30 127.0.0.1
    click Command5
    wait_for 10 "the connection" grep -q '^client connected' "$sim_log"
    # The module stays silent: the window waits 5 s for a password challenge.
    sleep 5.5

    click Command6
    local dialog
    dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^(Apri|Open) Firmware$') ||
        fail "the file dialog did not open"
    xdotool windowfocus --sync "${dialog%%$'\n'*}"
    xdotool type --delay 10 "$firmware_dir/KESTRA.BIN"
    xdotool key Return
    wait_for 10 "the file dialog to close" dialog_gone

    click Command7
    wait_for 10 "the identification" grep -q '^<- 46 57 49 ' "$sim_log"
    sleep 1 # the window reads the identity after a fixed 500 ms

    click Command2
    wait_for 60 "$half_pages_shown half pages" half_pages_seen "$half_pages_shown"
    sleep 0.2 # the progress bar's repaint
    mkdir -p docs
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "docs/window-$name.png"

    kill "$updater_pid" "$sim_pid"
    wait "$updater_pid" "$sim_pid" 2>/dev/null || true
}

# The history's view, after an update that completed, one the device refused
# and a file for another board, all by kestra-flash.
shoot_history() {
    echo "screenshots: docs/history-en.png"
    local run
    for run in "--fault PGX:reply:E KESTRA.BIN" "KESTRA.BIN" "OTHER.BIN"; do
        set -- $run
        local file=${*: -1} faults=("${@:1:$#-1}")
        "$build_dir/kestra-sim" --quiet "${faults[@]}" >/dev/null 2>&1 &
        local sim_pid=$!
        sleep 0.5
        "$build_dir/kestra-flash" --yes --station bench-2 --unit "SN-$RANDOM" -a 127.0.0.1 --ap-address 127.0.0.1 \
            "$firmware_dir/$file" >/dev/null 2>&1 || true
        kill "$sim_pid"
        wait "$sim_pid" 2>/dev/null || true
    done
    local app_dir=$work/app-history
    mkdir -p "$app_dir"
    cp "$build_dir/kestra-updater" "$app_dir/"
    printf 'Path = %s/\r\nLanguage = 1\r\n' "$firmware_dir" >"$app_dir/BootLoader.ini"
    "$app_dir/kestra-updater" >"$work/updater-history.log" 2>&1 &
    local updater_pid=$!
    pids+=("$updater_pid")
    local win
    win=$(timeout 20 xdotool search --sync --onlyvisible --name '^KESTRA Firmware updater') ||
        fail "the window did not show"
    xdotool windowfocus --sync "${win%%$'\n'*}"
    xdotool key alt+h
    local view
    view=$(timeout 10 xdotool search --sync --onlyvisible --name '^History$') || fail "the history did not open"
    view=${view%%$'\n'*}
    sleep 1 # the records are read off the window's thread
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$view" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip docs/history-en.png
    kill "$updater_pid"
    wait "$updater_pid" 2>/dev/null || true
}

shoot 0 it
shoot 1 en
shoot_history
echo "screenshots: done in ${SECONDS}s"
