#!/usr/bin/env bash
# Configures and builds one configuration: scripts/build.sh [plain|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-plain}
case "$kind" in
  plain) dir=build; flags=() ;;
  sanitize) dir=build-sanitize; flags=(-DOVX_SANITIZE=ON) ;;
  *) echo "unknown configuration $kind" >&2; exit 2 ;;
esac
[ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
