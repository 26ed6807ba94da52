#!/usr/bin/env bash
# Sets up (packages, build) and runs the whole test suite on Qt's offscreen platform.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
