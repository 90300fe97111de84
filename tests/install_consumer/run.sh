#!/usr/bin/env bash
# Installs the build tree given as $1 into a fresh prefix, then builds and runs a consumer
# project against it with find_package, and checks the pkg-config file.
set -euo pipefail
build=$1
src=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$src" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib:${LD_LIBRARY_PATH:-}" "$work/consumer/consumer"
pc=$(find "$work/prefix" -name XelAdvancedMathematics.pc | head -1)
grep -q -- "-lXelAdvancedMathematics" "$pc"
