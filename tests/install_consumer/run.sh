#!/usr/bin/env bash
# Installs the build tree given as $1 into a temporary prefix and moves the prefix elsewhere
# (nothing may depend on where it was installed). Then builds the consumer program three ways,
# as a caller would, and runs each with an empty environment (no LD_LIBRARY_PATH):
#   1. a CMake project with find_package,
#   2. a plain compiler command with the flags of pkg-config,
#   3. a plain link against XelAdvancedMathematics alone: its base library must be found
#      through the run path of the installed library itself;
# and builds and runs the first C++ program of the README the same way as 2.
set -euo pipefail
build=$1
src=$(cd "$(dirname "$0")" && pwd)
cxx=${CXX:-$(command -v c++ || command -v g++)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$work/moved"
prefix=$work/moved
pc=$(find "$prefix" -name XelAdvancedMathematics.pc)
libdir=$(dirname "$(dirname "$pc")")

run() { # $1 label, $2 program: run with no environment variable at all
  local out
  if ! out=$(env -i PATH=/usr/bin:/bin "$2" 2>&1); then
    echo "$1: the consumer failed: $out"
    exit 1
  fi
  echo "$1: $out"
}

cmake -S "$src" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
  >/dev/null
cmake --build "$work/cmake" >/dev/null
run "find_package" "$work/cmake/consumer"

read -r -a flags <<<"$(PKG_CONFIG_PATH="$(dirname "$pc")" pkg-config --cflags --libs \
  XelAdvancedMathematics)"
"$cxx" -std=c++17 "$src/consumer.cpp" -o "$work/pkg-config-consumer" "${flags[@]}"
run "pkg-config" "$work/pkg-config-consumer"

"$cxx" -std=c++17 "$src/consumer.cpp" -o "$work/plain-consumer" \
  -I"$prefix/include/XelAdvancedMathematics" -L"$libdir" -Wl,-rpath,"$libdir" \
  -lXelAdvancedMathematics
run "XelAdvancedMathematics alone" "$work/plain-consumer"

readme=$src/../../README.md
awk '/^```cpp$/ { inside = 1; next } inside && /^```$/ { exit } inside { print }' "$readme" \
  >"$work/readme.cpp"
"$cxx" -std=c++17 -Wall -Wextra -Werror "$work/readme.cpp" -o "$work/readme-program" "${flags[@]}"
run "README program" "$work/readme-program"
