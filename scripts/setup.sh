#!/usr/bin/env bash
# Installs the Debian packages Tillora needs (only those missing), then configures and builds.
# Used by scripts/run.sh, scripts/test.sh and scripts/package.sh; safe to run again.
#   setup.sh            what building and running the program need, nothing more
#   setup.sh test       also the test tools (database server, spreadsheet readers, CUPS PDF
#                       printer, compilers for fuzzing, lintian); the tests and benchmarks are
#                       built when their libraries are installed
#   setup.sh package    also what writing the Debian package needs
#   BUILD_DIR   build folder (default: build)
#   TILLORA_SANITIZE=1   AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"

packages=(
  cmake ninja-build g++ pkg-config python3
  qt6-base-dev qt6-translations-l10n qt6-qpa-plugins
  libsqlite3-dev libpng-dev libjpeg-dev zlib1g-dev
  libxlsxwriter-dev libpq-dev libcups2 fonts-arphic-uming fonts-wqy-microhei
  libfreexl-dev libfreexl1 libzip-dev libzip4
)
packaging=(dpkg-dev file)
for set in "$@"; do
  case "$set" in
    test)
      packages+=(
        "${packaging[@]}" lintian git sqlite3 clang-format
        libgtest-dev libgmock-dev libbenchmark-dev
        poppler-utils cups printer-driver-cups-pdf
        libfreexl-dev python3-xlrd libreoffice-calc-nogui
        clang libclang-rt-14-dev
        postgresql postgresql-15
      ) ;;
    package) packages+=("${packaging[@]}") ;;
    *) echo "setup.sh: unknown set '$set' (test, package)" >&2; exit 2 ;;
  esac
done

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

on_when_installed() { if installed "$1"; then echo ON; else echo OFF; fi; }
sanitize=OFF
[ "${TILLORA_SANITIZE:-0}" = "1" ] && sanitize=ON
cmake -S "$root" -B "$build_dir" -G Ninja -DTILLORA_SANITIZE="$sanitize" \
  -DTILLORA_BUILD_TESTS="$(on_when_installed libgtest-dev)" \
  -DTILLORA_BUILD_BENCH="$(on_when_installed libbenchmark-dev)" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
