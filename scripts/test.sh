#!/usr/bin/env bash
# Everything CI checks, from a clean clone: install, build both configurations, run every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
for kind in plain sanitize; do
  scripts/build.sh "$kind"
  dir=build; [ "$kind" = sanitize ] && dir=build-sanitize
  echo "== tests ($kind)"
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)" --timeout 900)
done
