#!/usr/bin/env bash
# A bounded fuzzing run: run-fuzzer.sh <harness> <seconds> <seed root>...
# The harness's own seed list (<harness>.seeds beside this script: globs relative to the seed
# roots) picks the starting files; new inputs go to a scratch corpus that is thrown away, or to
# $QUILLMERE_FUZZ_CORPUS when set, which is kept for the next run. An input that crashes is kept
# as crash-* (or leak-*, timeout-*) in $QUILLMERE_FUZZ_ARTIFACTS, by default the directory the
# script was started in. The readers' refusal messages are silenced; the fuzzer's own report and
# the sanitizers' still print.
set -euo pipefail
harness=$1
seconds=$2
shift 2
name=$(basename "$harness")
seedList="$(dirname "$0")/$name.seeds"
artifacts=$(cd "${QUILLMERE_FUZZ_ARTIFACTS:-.}" && pwd)

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
corpus="$work/corpus"
if [ -n "${QUILLMERE_FUZZ_CORPUS:-}" ]; then
    mkdir -p "$QUILLMERE_FUZZ_CORPUS"
    corpus=$(cd "$QUILLMERE_FUZZ_CORPUS" && pwd)
fi
cd "$work"
exec "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=200000 \
    -close_fd_mask=2 -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" "$work/seeds"
