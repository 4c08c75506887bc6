#!/usr/bin/env bash
# Takes the manuals' pictures of the real windows on the simulated installation (sim/demo.json) under a
# virtual display, into docs/manual/images/. Run it by hand after changing the windows, then rebuild the
# manuals:   docs/manual/take_screenshots.sh [BUILD-FOLDER]   (default: build)
# Needs xvfb, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/../.."
build="$(realpath "${1:-build}")"
out="$PWD/docs/manual/images"
work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$out"

mkdir -p "$work/home"
# The settings the demo runs with; init-home adds the account file and leaves this file as it is.
cat >"$work/home/holvex.ini" <<INI
[Com port]
Name=$work/ttyMBUS
Speed=2400
Parity=Even
[Mbus]
Timeout=300
SearchFrom=1
SearchTo=15
INI
"$build/holvex-cli" init-home "$work/home"
"$build/holvex-sim" --config sim/demo.json --pty "$work/ttyMBUS" >"$work/sim.log" 2>&1 &
for _ in $(seq 1 100); do grep -q "holvex-sim: ready" "$work/sim.log" && break; sleep 0.1; done

# The first free display from :57 on, so that another virtual display on the machine does not get in the way.
display=57
while [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x900x24 >/dev/null 2>&1 &
export DISPLAY=":$display"
sleep 1
"$build/holvex" --home "$work/home" >"$work/holvex.log" 2>&1 &
sleep 3
shot() { # shot NAME WINDOW-TITLE
    local id
    id="$(xdotool search --sync --name "$2" | head -1)"
    import -window "$id" "$out/$1.png"
}
shot login "Login"
xdotool type --delay 50 "admin"
xdotool key Tab
xdotool type --delay 50 "admin"
xdotool key Return
sleep 2
main="$(xdotool search --sync --name "M-bus and wireless configuration" | head -1)"
xdotool windowsize "$main" 1200 860
sleep 1
# "Find" by primary address (1..15), the search group's first button.
xdotool mousemove --window "$main" 365 68 click 1
sleep 1
# "Yes" to "Do you want to clear the table?" (the box opens centred on the main window).
xdotool mousemove 503 408 click 1
sleep 8
import -window "$main" "$out/main-window.png"
# The pages' tabs lie along the row below the search group; the buttons named are those the pictures show
# pressed. Without a window manager the main window sits at the screen's corner.
click() { # click X Y
    xdotool mousemove --window "$main" "$1" "$2" click 1
    sleep 1
}
click 237 139 # "Communication devices"
import -window "$main" "$out/gateway-page.png"
click 415 139 # "Local display Lumet"
click 111 661 # "Get data from m-bus devices"
import -window "$main" "$out/display-page.png"
click 562 139  # "Get Readings"
click 1050 171 # "Data from display window"
import -window "$main" "$out/readings-page.png"
click 726 139 # "Wireless receiver Ravik-Q"
click 222 661 # "Acquire RF meters": the simulated receiver relays a telegram every 2 s
sleep 9
click 222 661 # "Stop acquire"
sleep 1
import -window "$main" "$out/receiver-page.png"
echo "Pictures in $out"
