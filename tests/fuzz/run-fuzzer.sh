#!/usr/bin/env bash
# A bounded fuzzing run: run-fuzzer.sh <harness> <seconds> <seed root>...
# The harness's own seed list (<harness>.seeds beside this script: globs relative to the seed
# roots) picks the starting files; new inputs go to a scratch corpus that is thrown away.
set -euo pipefail
harness=$1
seconds=$2
shift 2
name=$(basename "$harness")
seedList="$(dirname "$0")/$name.seeds"

if [ ! -x "$harness" ]; then
    echo "Error: $harness not built" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/seeds"
if [ -f "$seedList" ]; then
    for root in "$@"; do
        [ -d "$root" ] || { echo "note: seed root $root absent, skipped"; continue; }
        while read -r pattern; do
            [ -z "$pattern" ] && continue
            for file in "$root"/$pattern; do
                [ -f "$file" ] && cp "$file" "$work/seeds/$(echo "${file#$root/}" | tr '/ ' '__')"
            done
        done <"$seedList"
    done
fi
echo "seeds: $(ls "$work/seeds" | wc -l)"
cd "$work"
exec "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=200000 \
    -print_final_stats=1 "$work/corpus" "$work/seeds"
