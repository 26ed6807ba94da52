#!/usr/bin/env bash
# Sets up (the packages the program needs, the build) and starts Tillora. Run from the build
# folder, the program keeps its database Zeb.mdb beside the executable, in the build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
exec "$BUILD_DIR/tillora"
