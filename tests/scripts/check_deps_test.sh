#!/usr/bin/env bash
# The dependency check on this build: it passes with the package lists as committed, and it
# fails, naming the package, when one package the build really uses is taken out of a copy of
# the list (each row: the package, and a piece of the file that must show it).
#
# usage: check_deps_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail

root=${1:?usage: check_deps_test.sh SOURCE_DIR BUILD_DIR}
build=${2:?usage: check_deps_test.sh SOURCE_DIR BUILD_DIR}
check=$root/scripts/check-deps.sh
list=$root/scripts/packages/build.txt
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failed=0
output=$("$check" "$build" "$list" 2>&1)
if [ $? -ne 0 ]; then
  echo "FAIL: the committed list does not cover the build:"
  echo "$output"
  failed=1
else
  echo "ok: $output"
fi

rows=(
  "libqt6opengl6-dev|/cmake/Qt6"           # Qt Charts' CMake package needs Qt6OpenGL's
  "qt6-charts-dev|/QtCharts/"              # the response window's plot headers
  "libbenchmark-dev|/benchmark/"           # the benchmarks' header
  "ngspice|/usr/bin/ngspice"               # a tool the tests run
  "python3-scikit-rf|/skrf/"               # a module the test scripts import
)
for row in "${rows[@]}"; do
  package=${row%%|*}
  evidence=${row#*|}
  grep -vx "$package" "$list" >"$scratch/list.txt"
  output=$("$check" "$build" "$scratch/list.txt" 2>&1)
  code=$?
  line=$(grep "^check-deps: $package is used but not installed" <<<"$output")
  if [ "$code" -ne 1 ] || [ -z "$line" ] || [[ $line != *"$evidence"* ]]; then
    echo "FAIL: without $package the check said (exit $code):"
    echo "$output"
    failed=1
  else
    echo "ok: without $package: $line"
  fi
done
exit "$failed"
