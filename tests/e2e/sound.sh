#!/usr/bin/env bash
# End to end: sound never in the way. With no usable audio device the park draws, saves a
# screenshot and leaves with status 0, saying so in one line of its own and letting no line of
# the libraries underneath through; muted or not, with a device, it says nothing at all.
#   sound.sh <park dir> <imageinfo>
source "$(dirname "$0")/../support/e2e.sh"
copy_park_data
start_xvfb || exit 1

# Runs the park to its own end; sets $status, $out, $err and $shot (the screenshot's path).
run_park() {
    rm -rf "$work/screenshots"
    (cd "$work" && timeout 120 "$@" "$park/quillmere" --frames 30 --screenshot >"$work/out" \
        2>"$work/err")
    status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
    shot="$work/$(grep -- '-filename$' "$work/out" | tail -n 1 | sed 's/-filename$//')"
}

run_park env -u ALSOFT_LOGLEVEL ALSOFT_DRIVERS=nothing
[ "$status" -eq 0 ] && [ -s "$shot" ] && pass "no audio device: the park draws, saves and leaves" \
    || fail "no audio device: status $status, stderr '$err'"
[ "$err" = "quillmere: no audio output device could be opened (ALSOFT_DRIVERS=nothing); the park is silent" ] \
    && pass "and says so in one line: '$err'" || fail "stderr '$err'"

run_park env -u ALSOFT_LOGLEVEL ALSOFT_DRIVERS=alsa
[ "$status" -eq 0 ] && [ "$(wc -l <<<"$err")" -eq 1 ] && grep -q '^quillmere: ' <<<"$err" \
    && pass "a sound card the libraries cannot open: one line of the park's, none of theirs" \
    || fail "ALSA without a card: status $status, stderr '$err'"

run_park env ALSOFT_DRIVERS=null
[ "$status" -eq 0 ] && [ -z "$err" ] && pass "with a device: nothing on stderr" \
    || fail "with a device: status $status, stderr '$err'"
(cd "$work" && timeout 120 "$park/quillmere" --mute --volume 35 --frames 10 >/dev/null 2>"$work/err")
[ "$?" -eq 0 ] && [ ! -s "$work/err" ] && pass "--mute --volume 35" || fail "--mute: $(cat "$work/err")"
finish
