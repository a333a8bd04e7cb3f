#!/usr/bin/env bash
# check_manual_page.sh PAGE: the installed, compressed manual page renders without a warning,
# through man as a user reads it and through groff with every warning on.
set -uo pipefail
page=$1
for tool in man groff; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (apt-get install man-db groff-base)"
        exit 77
    fi
done

failed=0
# man exits 0 after warnings, so what it writes to stderr is the verdict.
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[[ -z $warnings ]] || { echo "FAIL: man warns about $page:"$'\n'"$warnings"; failed=1; }
warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
[[ -z $warnings ]] || { echo "FAIL: groff warns about $page:"$'\n'"$warnings"; failed=1; }
exit $failed
