#!/usr/bin/env bash
# End to end: the program under its own Xvfb, driven with xdotool.
#   shell.sh <park dir> <imageinfo>
# Checks the window, screenshots and their numbering, the ignored upper-case keys, full screen
# and back, a clean exit on Esc, a screenshot that cannot be saved, and one at render scale 0.5.
source "$(dirname "$0")/../support/e2e.sh"
copy_park_data
start_xvfb || exit 1

geometry() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }

# Presses a key and waits until stdout has `lines` "-filename" lines.
press_and_wait_for_names() {
    xdotool key "$1"
    for _ in $(seq 1 100); do
        [ "$(grep -c -- '-filename$' "$work/stdout")" -ge "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# --- first run: window, one screenshot, upper-case keys, full screen and back -----------------
launch
[ "$(geometry)" = "800x600" ] && pass "window Quillmere is 800x600" || fail "window is $(geometry)"

# The eye may start facing a hillside, one flat green; looking 30 degrees up (the cursor 210
# pixels above the centre, 7 to the degree) brings the sky and the horizon into the picture.
xdotool mousemove --window "$window" 400 90
sleep 1
if press_and_wait_for_names p 1; then
    sleep 1
    grep -qx 'screenshots/img001.jpg-filename' "$work/stdout" \
        && pass "stdout names screenshots/img001.jpg" || fail "stdout: $(cat "$work/stdout")"
    info=$("$imageinfo" "$work/screenshots/img001.jpg")
    read -r width height contrast <<<"$info"
    [ "$width" = 800 ] && [ "$height" = 600 ] && pass "img001.jpg decodes to 800x600" \
        || fail "img001.jpg is '$info'"
    if awk -v c="$contrast" 'BEGIN { exit !(c > 2.0) }'; then
        pass "img001.jpg is not one flat colour (contrast $contrast)"
    else
        fail "img001.jpg looks flat (contrast $contrast)"
    fi
else
    fail "p wrote no screenshot name"
fi

for key in P F R; do xdotool key "$key"; done
sleep 1
[ "$(grep -c -- '-filename$' "$work/stdout")" -eq 1 ] && pass "P, F, R save nothing" \
    || fail "upper-case keys printed: $(cat "$work/stdout")"
[ "$(geometry)" = "800x600" ] && pass "P, F, R leave the window alone" || fail "window is $(geometry)"
[ "$(ls "$work/screenshots")" = "img001.jpg" ] || fail "screenshots: $(ls "$work/screenshots")"

xdotool key f
sleep 1
full=$(geometry)
xdotool key f
sleep 1
[ "$full" != "800x600" ] && pass "f goes full screen ($full)" || fail "f left the window at $full"
[ "$(geometry)" = "800x600" ] && pass "f twice returns to 800x600" || fail "after f f: $(geometry)"
quit_and_check

# --- second run: numbering continues past img001 ... img003 ------------------------------------
rm -f "$work/screenshots/"*
for n in 1 2 3; do echo "earlier run $n" >"$work/screenshots/img00$n.jpg"; done
: >"$work/stdout"
launch
if press_and_wait_for_names p 4; then
    sleep 1
    expected=$'screenshots/img001.jpg-filename\nscreenshots/img002.jpg-filename\nscreenshots/img003.jpg-filename\nscreenshots/img004.jpg-filename'
    [ "$(grep -- '-filename$' "$work/stdout")" = "$expected" ] \
        && pass "first p prints four names" || fail "names printed: $(cat "$work/stdout")"
    [ -s "$work/screenshots/img004.jpg" ] && pass "img004.jpg written" || fail "img004.jpg missing"
    for n in 1 2 3; do
        [ "$(cat "$work/screenshots/img00$n.jpg")" = "earlier run $n" ] \
            || fail "img00$n.jpg was overwritten"
    done
else
    fail "p printed no names on the second run"
fi
quit_and_check

# --- third run: an unwritable screenshot directory is reported, not silent ----------------------
rm -rf "$work/screenshots"
echo "not a directory" >"$work/screenshots"
: >"$work/stdout"
launch
press_and_wait_for_names p 1 || true
sleep 1
grep -q 'screenshots/img001.jpg' "$work/stderr" && pass "failed save reported on stderr" \
    || fail "failed save not reported; stderr: $(cat "$work/stderr")"
quit_and_check

# --- a last frame whose screenshot cannot be saved is a failure, in one line -------------------
(cd "$work" && timeout 120 "$park/quillmere" --frames 5 --screenshot >"$work/stdout" 2>"$work/stderr")
status=$?
[ "$status" -eq 1 ] && pass "--frames with a screenshot that cannot be saved leaves with status 1" \
    || fail "status $status"
[ "$(wc -l <"$work/stderr")" -eq 1 ] && grep -q '^screenshots/img001.jpg: ' "$work/stderr" \
    && pass "and names the file in one line: $(cat "$work/stderr")" \
    || fail "stderr: $(cat "$work/stderr")"

# --- full screen drawn at half its size: the screenshot is drawn whole, at the screen's size ---
rm -rf "$work/screenshots"
(cd "$work" && timeout 120 "$park/quillmere" --fullscreen --render-scale 0.5 --frames 20 \
    --screenshot >"$work/stdout" 2>"$work/stderr")
status=$?
read -r screen_width screen_height <<<"$(xdotool getdisplaygeometry)"
read -r width height contrast <<<"$("$imageinfo" "$work/screenshots/img001.jpg")"
[ "$status" -eq 0 ] && [ ! -s "$work/stderr" ] && [ "$width" = "$screen_width" ] \
    && [ "$height" = "$screen_height" ] \
    && pass "--render-scale 0.5 full screen: the screenshot is ${width}x${height}" \
    || fail "--render-scale 0.5: status $status, screenshot ${width:-?}x${height:-?}, stderr $(cat "$work/stderr")"

finish
