#!/usr/bin/env bash
# End to end: the settings file. Its values apply (a night-time start, a long day, the frame
# rate), the command line wins over them (a noon start), a line the park does not understand is
# named with its file and line number and skipped, and the park starts with the rest; a named
# file that is not there, or is a folder, is refused before any window opens.
#   settings.sh <park dir> <imageinfo>
source "$(dirname "$0")/../support/e2e.sh"
copy_park_data
start_xvfb || exit 1
conf="$XDG_CONFIG_HOME/quillmere/quillmere.conf"
mkdir -p "$(dirname "$conf")"
cat >"$conf" <<'SETTINGS'
# settings of the end-to-end test
seed = 77
time-of-day = 23:30
day-length = 3600
fps = 200
sky = pink
mouse-speed = 5
SETTINGS

# Runs the park to its own end with a screenshot; sets $status, $shot's mean brightness in
# $bright, and the output in $out and $err.
run_with_settings() {
    rm -rf "$work/screenshots"
    (cd "$work" && timeout 120 "$park/quillmere" --frames 30 --screenshot "$@" >"$work/out" 2>"$work/err")
    status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
    bright=$("$imageinfo" --mean "$work/screenshots/img001.jpg" 2>/dev/null)
}

run_with_settings
[ "$status" -eq 0 ] && pass "the park starts beside a line it does not understand" \
    || fail "status $status, stderr '$err'"
[ "$err" = "quillmere: $conf:6: unknown setting 'sky'; the line is skipped" ] \
    && pass "the line is named with its file and number" || fail "stderr '$err'"
grep -qx 'seed 77' <<<"$out" && pass "the seed comes from the settings" || fail "stdout '$out'"
night=$bright

run_with_settings --time-of-day 12:00 --seed 78
grep -qx 'seed 78' <<<"$out" && pass "the command line wins over the settings" \
    || fail "stdout '$out'"
awk -v night="$night" -v noon="$bright" 'BEGIN { exit !(noon > 1.4 * night) }' \
    && pass "a noon start on the command line over a night in the settings ($night -> $bright)" \
    || fail "mean brightness: settings' night $night, command line's noon $bright"

run_with_settings --no-config --fps 0
grep -qx 'seed 77' <<<"$out" && fail "--no-config still read the settings" \
    || { [ -z "$err" ] && pass "--no-config reads none" || fail "--no-config: stderr '$err'"; }

run_with_settings --config "$work/missing.conf"
[ "$status" -eq 2 ] && grep -q "cannot read the settings file $work/missing.conf" <<<"$err" \
    && pass "a named settings file that is not there: status 2" || fail "status $status, '$err'"

keys="$work/keys.conf"
printf '# a French keyboard\nkey-forward = z Up\nkey-left = q Left\nkey-screenshot = Z\n' >"$keys"
run_with_settings --config "$keys"
[ "$status" -eq 0 ] && [ "$err" = "quillmere: $keys:4: key z is already key-forward's; the line is skipped" ] \
    && pass "a key two lines give: the later line is named and skipped" || fail "status $status, '$err'"
(cd "$work" && "$park/quillmere" --config "$keys" --help 2>/dev/null) | grep -q '^  left button, z, Up  *walk forward' \
    && pass "--help shows the keys in use" || fail "--help does not show z for forward"

run_with_settings --config "$work"
[ "$status" -eq 2 ] && [ "$err" = "quillmere: cannot read the settings file $work: Is a directory; try --help" ] \
    && pass "a folder named as the settings file: status 2, one line" || fail "status $status, '$err'"
finish
