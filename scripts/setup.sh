#!/usr/bin/env bash
# Installs the Debian packages Tillora needs (only those missing), then configures and builds.
# Used by scripts/run.sh and scripts/test.sh; safe to run again.
#   BUILD_DIR   build folder (default: build)
#   TILLORA_SANITIZE=1   AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"

packages=(
  cmake ninja-build g++ pkg-config git
  qt6-base-dev qt6-translations-l10n
  libsqlite3-dev sqlite3 libpng-dev libjpeg-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei poppler-utils clang-format
  cups printer-driver-cups-pdf libcups2
  libxlsxwriter-dev libfreexl-dev python3-xlrd libreoffice-calc-nogui
  clang libclang-rt-14-dev
  libpq-dev postgresql postgresql-15
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

sanitize=OFF
[ "${TILLORA_SANITIZE:-0}" = "1" ] && sanitize=ON
cmake -S "$root" -B "$build_dir" -G Ninja -DTILLORA_SANITIZE="$sanitize" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
