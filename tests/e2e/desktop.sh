#!/usr/bin/env bash
# End to end: the park as a desktop runs it, on a private 1920 x 1080 Xvfb.
#   desktop.sh <park dir> <imageinfo>
# The window moved off the screen's origin holds the pointer at its own centre while it turns
# and walks; another X client with the focus keeps its pointer; the keys still reach the park
# afterwards; a screenshot in full screen has the screen's size.
source "$(dirname "$0")/../support/e2e.sh"
copy_park_data
QUILLMERE_XVFB_SCREEN=1920x1080x24 start_xvfb || exit 1

pointer() { xdotool getmouselocation | sed -E 's/^x:([0-9]+) y:([0-9]+).*/\1 \2/'; }
# Reports where the pointer is once it stands at "$1" (the park takes it back within a frame or
# two; a loaded machine gets up to three seconds), or after that, wherever it is.
pointer_once_at() {
    for _ in $(seq 1 30); do
        [ "$(pointer)" = "$1" ] && break
        sleep 0.1
    done
    pointer
}
# Moves the pointer and reports where it is a moment later.
move_and_read() { xdotool mousemove "$1" "$2"; sleep 0.5; pointer; }
expect_pointer() {
    [ "$1" = "$2" ] && pass "$3: pointer at $1" || fail "$3: pointer at $1, expected $2"
}

launch
xdotool windowmove --sync "$window" 900 400
xdotool windowfocus --sync "$window"
sleep 0.5
origin=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
[ "$origin" = "900 400" ] && pass "window moved to 900,400" || fail "window at $origin"

xdotool mousemove 1342 671
expect_pointer "$(pointer_once_at "1300 700")" "1300 700" "turning in the moved window"
xdotool mousedown 1
sleep 0.3
xdotool mousemove 1311 705
expect_pointer "$(pointer_once_at "1300 700")" "1300 700" "turning while walking"
xdotool mouseup 1

# Another client takes the focus: its pointer stays where the user puts it, over its own window
# or over the park's.
xev -geometry 300x200+100+100 >/dev/null 2>&1 &
other=$!
otherWindow=$(timeout 20 xdotool search --sync --name '^Event Tester$' | head -n 1)
if [ -z "$otherWindow" ]; then
    fail "the second X client's window did not appear"
else
    xdotool windowfocus --sync "$otherWindow"
    expect_pointer "$(move_and_read 200 150)" "200 150" "another window focused"
    expect_pointer "$(move_and_read 1250 650)" "1250 650" "over the park, another window focused"
    xdotool click 1
    sleep 0.3
    expect_pointer "$(pointer)" "1250 650" "clicking there"
fi
kill "$other" 2>/dev/null
wait "$other" 2>/dev/null

# Back in the park: the pointer is held at its centre again, and the keys reach it.
xdotool windowfocus --sync "$window"
expect_pointer "$(pointer_once_at "1300 700")" "1300 700" "the park focused again"

xdotool key f
sleep 1.5
xdotool mousemove 960 120 # look 60 degrees up: the sky is in the picture, wherever the walk led
sleep 0.5
xdotool key p
for _ in $(seq 1 100); do
    grep -q -- '-filename$' "$work/stdout" && break
    sleep 0.1
done
sleep 1
shot="$work/$(grep -- '-filename$' "$work/stdout" | tail -n 1 | sed 's/-filename$//')"
if [ -f "$shot" ]; then
    read -r width height contrast <<<"$("$imageinfo" "$shot")"
    [ "$width" = 1920 ] && [ "$height" = 1080 ] && pass "full-screen screenshot is 1920x1080" \
        || fail "full-screen screenshot is ${width}x${height}"
    awk -v c="$contrast" 'BEGIN { exit !(c > 1.0) }' && pass "and not flat (contrast $contrast)" \
        || fail "full-screen screenshot looks flat (contrast $contrast)"
    cp "$shot" "${QUILLMERE_SHOTS:-$work}/" 2>/dev/null
else
    fail "p in full screen saved nothing"
fi
quit_and_check
finish
