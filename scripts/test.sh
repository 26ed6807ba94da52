#!/usr/bin/env bash
# Sets up (packages, build) and runs the whole test suite on Qt's offscreen platform.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh" test
export QT_QPA_PLATFORM=offscreen
# The end-to-end printing test prints through a real CUPS queue, the one PRINTER names; it fails
# (not skips) without one.
export PRINTER=TilloraPDF
bash "$root/scripts/start_cups.sh" || echo "warning: no CUPS queue; the printing end-to-end test will fail"
# The data and recording tests also run against a database server: a throw-away cluster.
if [ -z "${TILLORA_TEST_PG:-}" ]; then
  TILLORA_TEST_PG="$(bash "$root/scripts/start_postgres.sh")"
  export TILLORA_TEST_PG
fi
export TILLORA_REQUIRE_PG=1
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
