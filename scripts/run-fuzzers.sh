#!/usr/bin/env bash
# Runs the libFuzzer targets.
#
#   run-fuzzers.sh --smoke BINARY   one fuzzer for ${FUZZ_SMOKE_SECONDS:-10} s on a scratch copy of
#                                   its seeds (fuzz/corpus/<name>); the test suite uses this
#   run-fuzzers.sh BIN_DIR SECONDS  every *_fuzzer in BIN_DIR for SECONDS each, growing a
#                                   working corpus kept beside BIN_DIR
#
# Prints each fuzzer's executions and findings; exits non-zero when any fuzzer finds a fault.
# Crash inputs go to fuzz-artifacts/<name>/ beside BIN_DIR, never into the source tree.
set -uo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  echo "usage: $0 --smoke BINARY | $0 BIN_DIR SECONDS" >&2
  exit 2
}

# run_one BINARY SECONDS CORPUS_DIR: runs the fuzzer and reports; returns non-zero on a finding.
run_one() {
  local bin="$1" seconds="$2" corpus="$3"
  local name artifacts log status execs crashes
  name="$(basename "$bin")"
  artifacts="$(cd "$(dirname "$bin")/.." && pwd)/fuzz-artifacts/$name"
  mkdir -p "$artifacts"
  log="$(mktemp)"
  local before
  before="$(find "$artifacts" -type f | wc -l)"

  "$bin" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 \
    -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
  status=$?

  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  crashes=$(($(find "$artifacts" -type f | wc -l) - before))
  if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    # The fuzzer's own account of what it found.
    grep -E '^(==[0-9]+==|SUMMARY|.*(ERROR|error|Mismatch|disagree|failed)|artifact_prefix|Test unit written)' "$log" \
      | head -n 40 >&2
    echo "$name: ${execs:-?} executions in ${seconds} s, FINDINGS: exit status $status," \
      "$crashes new file(s) in $artifacts"
    rm -f "$log"
    return 1
  fi
  echo "$name: ${execs:-?} executions in ${seconds} s, no findings"
  rm -f "$log"
  return 0
}

if [ "${1:-}" = "--smoke" ]; then
  [ $# -eq 2 ] || usage
  bin="$2"
  [ -x "$bin" ] || { echo "$0: no fuzzer at $bin" >&2; exit 2; }
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  seeds="$repo/fuzz/corpus/$(basename "$bin")"
  if [ -d "$seeds" ]; then
    cp -R "$seeds/." "$scratch/"
  fi
  run_one "$bin" "${FUZZ_SMOKE_SECONDS:-10}" "$scratch"
  exit $?
fi

[ $# -eq 2 ] || usage
bin_dir="$1"
seconds="$2"
[ -d "$bin_dir" ] || { echo "$0: no folder $bin_dir" >&2; exit 2; }
case "$seconds" in '' | *[!0-9]*) usage ;; esac

shopt -s nullglob
fuzzers=("$bin_dir"/*_fuzzer)
if [ ${#fuzzers[@]} -eq 0 ]; then
  echo "$0: no *_fuzzer programs in $bin_dir (build with PAGORA_FUZZ=ON)" >&2
  exit 2
fi

failed=0
for bin in "${fuzzers[@]}"; do
  [ -x "$bin" ] || continue
  name="$(basename "$bin")"
  corpus="$(cd "$bin_dir/.." && pwd)/fuzz-corpus/$name"
  mkdir -p "$corpus"
  if [ -d "$repo/fuzz/corpus/$name" ]; then
    cp -R -n "$repo/fuzz/corpus/$name/." "$corpus/"
  fi
  run_one "$bin" "$seconds" "$corpus" || failed=1
done
exit $failed
