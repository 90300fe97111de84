#!/usr/bin/env bash
# Runs the tour ($1) in a temporary directory and checks the SVG pictures it writes with
# check_svgs.py (python3 given as $2).
set -euo pipefail
tour=$1
python=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tour" "$work" >"$work/tour.txt"
grep -c '^picture: ' "$work/tour.txt" >/dev/null
"$python" "$(dirname "$0")/check_svgs.py" "$work"
