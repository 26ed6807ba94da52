#!/usr/bin/env bash
# Builds the Debian package from the normal build: build/tillora_<version>_<arch>.deb.
# Install it with: sudo apt install ./build/tillora_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh" package
cd "$BUILD_DIR"
cpack -G DEB >/dev/null
ls "$BUILD_DIR"/tillora_*.deb
