#!/usr/bin/env bash
# End to end: the command line. Help, the version and mistakes without any X display; then, on a
# private Xvfb, a seed that makes the same ground twice and another that does not, r taking the
# next seed, a picture taken by --frames and --screenshot alone, full screen, and GLUT's own
# -display and -geometry.
#   options.sh <park dir> <imageinfo>
source "$(dirname "$0")/../support/e2e.sh"
copy_park_data
map="$work/terrainTexs/finalMapTexture.bmp"
rm -f "$map"

# Runs the program in the scratch directory without a display; sets $status, $out and $err.
run_without_display() {
    (cd "$work" && env -u DISPLAY "$park/quillmere" "$@" >"$work/out" 2>"$work/err")
    status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}

run_without_display --help
[ "$status" -eq 0 ] && grep -q -- '--seed N' <<<"$out" && grep -q 'w, Up' <<<"$out" && [ -z "$err" ] \
    && pass "--help prints the usage with the options and keys, status 0, no display needed" \
    || fail "--help: status $status, stdout '$out', stderr '$err'"
run_without_display -h
[ "$status" -eq 0 ] && grep -q '^Usage: quillmere' <<<"$out" || fail "-h: status $status"
run_without_display --version
[ "$status" -eq 0 ] && [[ "$out" =~ ^quillmere\ [0-9]+\.[0-9]+\.[0-9]+$ ]] \
    && pass "--version prints '$out'" || fail "--version: status $status, '$out'"

for wrong in "--seed 4294967296" "--fps fast" "--frames" "--screenshot" "--walk" "park"; do
    # shellcheck disable=SC2086
    run_without_display $wrong
    if [ "$status" -eq 2 ] && [ -z "$out" ] && [[ "$err" =~ ^quillmere:\ .+\;\ try\ --help$ ]]; then
        pass "'$wrong': status 2, '$err'"
    else
        fail "'$wrong': status $status, stdout '$out', stderr '$err'"
    fi
done
[ ! -e "$map" ] || fail "a mistake got as far as making a park"

run_without_display --seed 5
[ "$status" -eq 1 ] && [ -z "$out" ] \
    && [ "$err" = "quillmere: cannot open an X display: DISPLAY is not set" ] \
    && pass "no DISPLAY: status 1 and the park's own line" \
    || fail "no DISPLAY: status $status, stdout '$out', stderr '$err'"
(cd "$work" && DISPLAY=:97 "$park/quillmere" >"$work/out" 2>"$work/err")
status=$?
[ "$status" -eq 1 ] && [ "$(cat "$work/err")" = "quillmere: cannot open the X display ':97' (is DISPLAY set?)" ] \
    && pass "a display that is not there: status 1 and one line" \
    || fail "DISPLAY=:97: status $status, stderr '$(cat "$work/err")'"

start_xvfb || exit 1

# Runs the program to its own end; sets $status and the stdout file's lines in $out.
run_to_end() {
    (cd "$work" && timeout 120 "$park/quillmere" "$@" >"$work/out" 2>"$work/err")
    status=$?
    out=$(cat "$work/out")
}

run_to_end --seed 4000000000 --frames 3 --fps 0
cp "$map" "$work/first.bmp" 2>/dev/null
run_to_end --seed=4000000000 --frames 3 --fps 0
[ "$status" -eq 0 ] && [ "$out" = "seed 4000000000" ] && pass "--frames 3 leaves with status 0" \
    || fail "seeded run: status $status, stdout '$out'"
cmp -s "$map" "$work/first.bmp" && pass "one seed, twice: the same colour map" \
    || fail "the colour maps of one seed differ"
run_to_end --seed 4000000001 --frames 3 --fps 0
cmp -s "$map" "$work/first.bmp" && fail "seeds 4000000000 and 4000000001 gave one colour map" \
    || pass "the next seed: another colour map"
cp "$map" "$work/next.bmp"

# r takes the next seed, and its park is the one that seed makes at start-up.
: >"$work/stdout"
(cd "$work" && exec "$park/quillmere" --seed 4000000000 >"$work/stdout" 2>"$work/stderr") &
program=$!
window=$(timeout 60 xdotool search --sync --name '^Quillmere$' | head -n 1)
[ -n "$window" ] || { fail "no window"; finish; }
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1
xdotool key r
for _ in $(seq 1 100); do
    [ "$(grep -c '^seed' "$work/stdout")" -ge 2 ] && break
    sleep 0.1
done
[ "$(cat "$work/stdout")" = $'seed 4000000000\nseed 4000000001' ] && pass "r announces the next seed" \
    || fail "after r: $(cat "$work/stdout")"
sleep 0.5
cmp -s "$map" "$work/next.bmp" && pass "r makes the colour map --seed 4000000001 makes" \
    || fail "r's colour map differs from the one of its seed"
quit_and_check

rm -rf "$work/screenshots"
run_to_end --frames 40 --screenshot
grep -qx 'screenshots/img001.jpg-filename' <<<"$out" && [ "$status" -eq 0 ] \
    && pass "--frames with --screenshot saves one picture and leaves" \
    || fail "--screenshot: status $status, stdout '$out'"
read -r width height contrast <<<"$("$imageinfo" "$work/screenshots/img001.jpg" 2>/dev/null)"
[ "$width" = 800 ] && [ "$height" = 600 ] || fail "the picture is '$width x $height'"

run_to_end --fullscreen --frames 40 --screenshot
read -r width height contrast <<<"$("$imageinfo" "$work/screenshots/img002.jpg" 2>/dev/null)"
[ "$width" = 1920 ] && [ "$height" = 1080 ] && pass "--fullscreen: the picture is the screen's size" \
    || fail "--fullscreen picture is '$width x $height'"

display=$DISPLAY
(cd "$work" && env -u DISPLAY timeout 120 "$park/quillmere" -display "$display" -geometry 640x480+30+20 \
    --frames 40 --screenshot >"$work/out" 2>"$work/err")
status=$?
read -r width height contrast <<<"$("$imageinfo" "$work/screenshots/img003.jpg" 2>/dev/null)"
[ "$status" -eq 0 ] && [ "$width" = 640 ] && [ "$height" = 480 ] \
    && pass "GLUT's -display and -geometry still reach GLUT (640x480 on $display)" \
    || fail "-display/-geometry: status $status, picture '$width x $height', $(cat "$work/err")"

finish
