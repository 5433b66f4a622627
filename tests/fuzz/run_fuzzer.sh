#!/usr/bin/env bash
# Runs one fuzzer for BRENIX_FUZZ_SECONDS (default 15) from its seeds; on a failure, says where
# the input is and how to run it again.
set -uo pipefail
fuzzer=$1 seeds=$2 work=$3
rm -rf "$work" && mkdir -p "$work/corpus" "$work/found"
"$fuzzer" -max_total_time="${BRENIX_FUZZ_SECONDS:-15}" -print_final_stats=1 \
  -artifact_prefix="$work/found/" "$work/corpus" "$seeds" 2>&1 | grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)'
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  for input in "$work"/found/*; do
    [ -e "$input" ] || continue
    echo "input that fails (hex): $(od -An -tx1 -v "$input" | tr -d ' \n' | head -c 2000)"
    echo "run it again: $fuzzer $input"
    echo "keep it as a regression seed: cp $input $seeds/"
  done
fi
exit "$status"
