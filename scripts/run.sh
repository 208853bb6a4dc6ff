#!/usr/bin/env bash
# The main job: boots the default station and tours what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh plain >/dev/null
emulator=$(sed -n 's/^OVX_EMULATOR:INTERNAL=//p' build/CMakeCache.txt)
OVX_MODULE_DIR=$PWD/build/modules exec $emulator build/station/ovx tour "$@"
