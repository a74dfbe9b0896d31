# Sourced by the end-to-end scripts, which CTest runs as <script> <park dir> <imageinfo>: the
# arguments, pass/fail counting, a scratch directory removed at the end, a private Xvfb, and the
# program started in the scratch directory and ended with Esc.
set -u
park=$(cd "$1" && pwd)
imageinfo=$2
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/scripts/xvfb.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

work=$(mktemp -d)
# The user's own settings file stays out of the tests: an empty settings folder.
export XDG_CONFIG_HOME="$work/config"
# A sound device that always opens and plays to nowhere, whatever sound card the machine has or
# lacks, so that stderr holds only what a test looks for.
export ALSOFT_DRIVERS=null
program=
cleanup() { [ -n "$program" ] && kill "$program" 2>/dev/null; stop_xvfb; rm -rf "$work"; }
trap cleanup EXIT

# The data the program reads, copied into the scratch directory.
copy_park_data() { cp -r "$park/data" "$park/textures" "$park/terrainTexs" "$park/sounds" "$work/"; }

# Waits up to a minute until $window shows a drawn frame, anything but one flat colour: the
# window opens before the scene is set up, which takes seconds in a sanitized build, and a key
# pressed before the first frame acts on an empty picture.
wait_for_first_frame() {
    local info contrast
    for _ in $(seq 1 300); do
        if info=$("$imageinfo" --window "$window" 2>/dev/null); then
            read -r _ _ contrast <<<"$info"
            awk -v c="$contrast" 'BEGIN { exit !(c > 0.2) }' && return 0
        fi
        sleep 0.2
    done
    return 1
}

# Starts the program in the scratch directory and waits for its window ($window) and its first
# frame.
launch() {
    (cd "$work" && exec "$park/quillmere" >"$work/stdout" 2>"$work/stderr") &
    program=$!
    window=$(timeout 60 xdotool search --sync --name '^Quillmere$' | head -n 1)
    if [ -z "$window" ]; then
        fail "no window titled Quillmere appeared"
        cat "$work/stderr"
        exit 1
    fi
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    wait_for_first_frame || fail "no frame was drawn within a minute"
    sleep 1
}

# Sends Esc and expects the program to end with status 0 within two seconds.
quit_and_check() {
    local start end status
    start=$(date +%s%N)
    xdotool key Escape 2>/dev/null || true
    for _ in $(seq 1 40); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.05
    done
    end=$(date +%s%N)
    if kill -0 "$program" 2>/dev/null; then
        fail "Esc did not end the program within two seconds"
        kill "$program"
    fi
    wait "$program"
    status=$?
    program=
    [ "$status" -eq 0 ] && pass "Esc exits with status 0 in $(( (end - start) / 1000000 )) ms" \
        || fail "Esc exit status $status"
}

# Ends the script; its status is the number of failed checks.
# A failing run shows what the program printed to stderr, for whoever reads the log afterwards.
finish() {
    if [ "$failures" -eq 0 ]; then
        echo "all checks passed"
    else
        echo "$failures check(s) failed; the program's stderr:"
        cat "$work/stderr" 2>/dev/null
    fi
    exit "$failures"
}
