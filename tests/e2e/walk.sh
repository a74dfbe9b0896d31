#!/usr/bin/env bash
# End to end: walking with the mouse and a new landscape on `r`, on a private Xvfb.
#   walk.sh <park dir> <imageinfo>
# The day turns within half a minute, so a screenshot always changes; how far the held button
# walks the eye is pinned down by the in-process park test, and this one checks that the X
# server's buttons and keys reach the program.
source "$(dirname "$0")/../support/e2e.sh"
copy_park_data
rm -f "$work/terrainTexs/finalMapTexture.bmp"
start_xvfb || exit 1
launch
xdotool mousemove --window "$window" 400 300

# Saves a screenshot and echoes its path once the program has named it.
screenshot() {
    local shots
    shots=$(( $(grep -c -- '-filename$' "$work/stdout") + 1 ))
    xdotool key p
    for _ in $(seq 1 100); do
        [ "$(grep -c -- '-filename$' "$work/stdout")" -ge "$shots" ] && break
        sleep 0.1
    done
    sleep 0.5
    echo "$work/$(grep -- '-filename$' "$work/stdout" | sed -n "${shots}p" | sed 's/-filename$//')"
}
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

before=$(screenshot)
xdotool mousedown 1
sleep 1.5
xdotool mouseup 1
after=$(screenshot)
read -r whole ground correlation <<<"$("$imageinfo" --diff "$before" "$after")"
echo "walking: mean difference $whole (ground $ground), grey correlation $correlation"
below 2 "$whole" && pass "the view after holding the left button differs ($whole)" \
    || fail "the view did not change while the left button was held ($whole)"

map="$work/terrainTexs/finalMapTexture.bmp"
cp "$map" "$work/first-map.bmp" || fail "no colour map saved at start"
xdotool key r
sleep 2
again=$(screenshot)
read -r whole ground landscape <<<"$("$imageinfo" --diff "$after" "$again")"
echo "across r: mean difference $whole (ground $ground), grey correlation $landscape"
cmp -s "$map" "$work/first-map.bmp" && fail "r kept the old colour map" \
    || pass "r saved a new colour map"
below 2 "$whole" && pass "r shows another view ($whole)" || fail "r left the view as it was ($whole)"
grep -i -E 'error|fail' "$work/stderr" && fail "the program reported errors"

quit_and_check
finish
