#!/usr/bin/env bash
# Times the data build with hyperfine: the whole `pagora-pack build` (layout export by node
# included), the build from an exported layout as the normal build runs it, the export alone
# and `pagora-pack verify`. Usage: tools/bench-data-build.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
pack="$build/bin/pagora-pack"
layout="$build/tools/quran-meta-layout.json"
for f in "$pack" "$layout"; do
  [ -e "$f" ] || { echo "bench-data-build: $f is missing; build first" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "bench-data-build: hyperfine is missing (scripts/setup.sh)" >&2; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
hyperfine -N --warmup 2 --runs "${RUNS:-20}" \
  "$pack build --out $out/a" \
  "$pack build --out $out/a --meta $layout" \
  "node tools/export-quran-meta.mjs node_modules $out/layout.json" \
  "$pack verify $build/bin --meta $layout"
