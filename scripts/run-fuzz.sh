#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every libFuzzer target of a CORVANTILE_FUZZ build for a set time, one after the other,
# and prints each one's executions and findings. New inputs go to a working corpus inside the
# build directory, so the committed seed corpora stay as they are; a finding is kept in
# BUILD/fuzz-findings/TARGET/ and its log is shown. Exits non-zero when anything was found.
#
# usage: scripts/run-fuzz.sh BUILD_DIR SECONDS_PER_TARGET
set -uo pipefail

build=${1:?usage: run-fuzz.sh BUILD_DIR SECONDS}
seconds=${2:?usage: run-fuzz.sh BUILD_DIR SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)

# Longest input per target: a typed value well past the 12 characters read, a session file with
# room for long lines, 63 floats, a Touchstone file of a few dozen records, a settings file with
# room for deep nesting, and the same Touchstone size read back from disk.
targets=(parse_value session_reader design_pass touchstone_reader settings_reader file_reading)
declare -A max_len=([parse_value]=64 [session_reader]=4096 [design_pass]=252 [touchstone_reader]=16384
  [settings_reader]=8192 [file_reading]=16384)

failed=0
report=()
for target in "${targets[@]}"; do
  work=$build/fuzz-work/$target
  findings=$build/fuzz-findings/$target
  log=$build/fuzz-work/$target.log
  rm -rf "$findings"
  mkdir -p "$work" "$findings"
  # libFuzzer stops at a corpus folder that does not exist, and git keeps no empty folders: a
  # target's seed or regression folder is handed over only when a clone really has it.
  corpora=("$work")
  for folder in "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target"; do
    [ -d "$folder" ] && corpora+=("$folder")
  done
  echo "== $target: ${seconds} s"
  "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -max_len="${max_len[$target]}" -artifact_prefix="$findings/" \
    "${corpora[@]}" >"$log" 2>&1
  code=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  found=$(find "$findings" -type f | wc -l)
  if [ "$code" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    tail -n 40 "$log"
    ls "$findings"
  fi
  report+=("$(printf '%-16s %12s executions  %d findings  (exit %d)' "$target" "${executions:-?}" "$found" "$code")")
done

echo "== fuzzing summary (${seconds} s per target)"
printf '%s\n' "${report[@]}"
exit "$failed"
