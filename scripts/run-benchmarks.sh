#!/usr/bin/env bash
# Runs every *_bench program in BIN_DIR, one after another, each with its own default settings.
#   run-benchmarks.sh BIN_DIR
# Exits non-zero when a benchmark fails to run.
set -uo pipefail

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 BIN_DIR" >&2
  exit 2
fi

shopt -s nullglob
benches=("$1"/*_bench)
if [ ${#benches[@]} -eq 0 ]; then
  echo "$0: no *_bench programs in $1 (configure with PAGORA_BENCH=ON)" >&2
  exit 2
fi

failed=0
for bin in "${benches[@]}"; do
  [ -x "$bin" ] || continue
  echo "== $(basename "$bin")"
  if ! "$bin"; then
    echo "$(basename "$bin") FAILED" >&2
    failed=1
  fi
  echo
done
exit $failed
