#!/usr/bin/env bash
# End to end: the park with each of the files it reads missing in turn, on a private Xvfb.
#   missingfiles.sh <park dir> <imageinfo>
# Every run must start, draw, save a screenshot and leave with status 0, and stderr must hold
# exactly the lines that name the missing file and say what the park does without it.
source "$(dirname "$0")/../support/e2e.sh"
source "$root/tests/support/baddata.sh"
start_xvfb || exit 1
for file in "${bad_data_files[@]}"; do
    run_case "$file" missing
done
finish
