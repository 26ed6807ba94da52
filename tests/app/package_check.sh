#!/usr/bin/env bash
# The Debian package as a shop gets it: written from the build, unpacked into a temporary root,
# the unpacked program run with a fresh HOME. Exit 77 (skipped) without the packaging tools.
#   package_check.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build_dir="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
for tool in cpack dpkg-deb dpkg-shlibdeps lintian sqlite3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool not installed (scripts/setup.sh test)"; exit 77; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1; }
deb="$(ls "$work"/out/tillora_*.deb)"
# Reproducible: packed again from files with other times, the package is the same, byte for byte.
touch -c "$build_dir/tillora" "$build_dir"/libtillora_print_support.so
cpack --config "$build_dir/CPackConfig.cmake" -B "$work/again" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAILED: cpack again"; exit 1; }
cmp -s "$deb" "$work"/again/tillora_*.deb ||
  fail "two packages of one build differ: $(cmp "$deb" "$work"/again/tillora_*.deb)"
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"

depends="$(dpkg-deb -f "$deb" Depends)"
for p in fonts-arphic-uming fonts-wqy-microhei qt6-translations-l10n libqt6widgets6; do
  [[ "$depends" == *"$p"* ]] || fail "Depends lacks $p: $depends"
done
recommends="$(dpkg-deb -f "$deb" Recommends)"
for p in libpq5 libjpeg62-turbo libcups2 sqlite3; do
  [[ "$recommends" == *"$p"* ]] || fail "Recommends lacks $p: $recommends"
done
# Removing or upgrading the package must never reach a user's data.
for script in preinst postinst prerm postrm; do
  [ ! -e "$work/control/$script" ] || fail "maintainer script $script"
done
for f in usr/bin/tillora usr/share/doc/tillora/copyright usr/share/doc/tillora/README.md \
  usr/share/applications/tillora.desktop usr/share/icons/hicolor/scalable/apps/tillora.svg \
  usr/share/man/man1/tillora.1.gz; do
  [ -e "$work/root/$f" ] || fail "missing /$f"
done
grep -q '^Name\[zh_CN\]=' "$work/root/usr/share/applications/tillora.desktop" ||
  fail "no Chinese name in the menu entry"

# No path of the build machine in anything installed.
if grep -rlF -e "$build_dir" -e "$source_dir" "$work/root"; then
  fail "installed files name the build's folders"
fi

program="$work/root/usr/bin/tillora"
mkdir -m 700 "$work/home"
run() { env -u XDG_DATA_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen "$program" "$@"; }
where="$(run --where)" || fail "--where exited $?"
[ "$where" = "$work/home/.local/share/tillora" ] || fail "--where printed '$where'"
[ "$(stat -c %a "$where" 2>/dev/null)" = 700 ] || fail "data folder not owner-only: $(stat -c %a "$where")"
[ "$(run --where)" = "$where" ] || fail "--where differs on the second run"

module="$(run --check-print-module)" || fail "the print module does not load"
[[ "$module" == "$work/root/usr/lib/"*/libtillora_print_support.so ]] ||
  fail "print module loaded from '$module'"

# The first start, at the keyboard: the database is written without a question (the one message,
# where it lives, is answered with Enter), admin logs in, keys one line (2 x 80.00), saves it with
# F10 and closes the sales window. The keys come from a Qt input plugin of the tests, so the
# installed program runs as it is.
driver="$build_dir/tests/app/key_driver"
[ -e "$driver/generic/libtillora_key_driver.so" ] || fail "the key driver plugin was not built"
QT_PLUGIN_PATH="$driver" QT_QPA_GENERIC_PLUGINS=tillora-keys timeout 60 \
  env -u XDG_DATA_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen "$program" \
  >"$work/first-start.log" 2>&1
status=$?
log="$where/tillora.log"
[ "$status" -eq 0 ] || { cat "$work/first-start.log" "$log" 2>/dev/null; fail "the first start ended with $status"; }
grep -q "key driver: message \"已新建数据库：$where/Zeb.mdb\"" "$work/first-start.log" ||
  { cat "$work/first-start.log"; fail "the first start did not say where the database lives"; }
grep -q ' start: .*data folder '"$where" "$log" 2>/dev/null || fail "the start is not logged"
grep -q "first start: new database $where/Zeb.mdb" "$log" 2>/dev/null || fail "the new database is not logged"
number="$(sed -n 's/.* sale: stored \([0-9]*\), 1 lines$/\1/p' "$log" 2>/dev/null)"
[ -n "$number" ] || { cat "$work/first-start.log" "$log" 2>/dev/null; fail "no stored sale in the log"; }
stored="$(sqlite3 "$where/Zeb.mdb" "select 数量 || ' ' || 金额 || ' ' || 收银员 from 销售记录 where 销售票号 = '$number'")"
[ "$stored" = "2 160.00 admin" ] || fail "the sale $number in the database reads '$stored'"
grep -q ' stop: exit code 0' "$log" 2>/dev/null || fail "the stop is not logged"
[ "$(stat -c %a "$where/Zeb.mdb" 2>/dev/null)" = 600 ] || fail "database not owner-only"
[ "$(stat -c %a "$log" 2>/dev/null)" = 600 ] || fail "log not owner-only"

# Errors and warnings fail; the rest is for reading.
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; fail "lintian reports errors or warnings"; }
grep -E '^[WE]:' "$work/lintian.log" || true

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") checked"
