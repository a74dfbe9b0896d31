#!/usr/bin/env bash
# The benchmark still runs and still reports every figure: a few frames of each kind, one start
# of the program, and the last line checked as one JSON object with every key. Its times are not
# judged here (the machines are shared); scripts/bench gives them.
#   bench_smoke.sh <benchmark> <park dir>
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
output=$(QUILLMERE_XVFB_SCREEN=1920x1080x24 "$root/scripts/with-xvfb" "$1" "$2" --frames 20 \
    --regenerations 2 --starts 1 --soak 2 2>&1)
status=$?
if [ $status -ne 0 ]; then
    echo "FAIL: the benchmark ended with status $status"
    echo "$output"
    exit 1
fi
echo "$output" | grep -v '^seed '
echo "$output" | tail -n 1 | python3 -c '
import json, sys
figures = json.loads(sys.stdin.read())
wanted = ["frame_ms_median", "frame_ms_p95", "sky_ms", "terrain_ms", "trees_ms", "dinosaurs_ms",
          "plants_ms", "floor_ms", "frame_to_floor", "first_frame_ms", "regenerate_ms",
          "peak_rss_mb", "renderer"]
missing = [key for key in wanted if figures.get(key) is None]
missing += ["fullscreen." + key for key in wanted[:9] if figures.get("fullscreen", {}).get(key) is None]
if figures.get("fullscreen", {}).get("width") != 1920:
    missing.append("a full-screen table at 1920 wide")
if missing:
    sys.exit("FAIL: missing figures: " + ", ".join(missing))
print("ok: every figure reported")
'
