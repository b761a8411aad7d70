#!/usr/bin/env bash
# Installs the build into a temporary prefix with DESTDIR and runs the installed
# kazumaki-tool as a user would: it must work on a per-user copy of the shipped
# database and write nothing under the prefix.
#   install_test.sh BUILD_DIR SHIPPED_CSV APP_ID EXTRAS_DIR_FROM_BIN
set -euo pipefail
build=$1 csv=$2 app_id=$3 extras_dir=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

root=$tmp/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
prefix=$root/usr
# the plugin where the installed program looks for it
extras=$(realpath -m --relative-to="$prefix" "$prefix/bin/$extras_dir/kazumaki-extras.so")
for f in bin/kazumaki bin/kazumaki-tool $extras share/kazumaki/Kazumaki.mdb \
         share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$app_id.svg share/icons/hicolor/48x48/apps/$app_id.png \
         share/icons/hicolor/256x256/apps/$app_id.png share/doc/kazumaki/copyright \
         share/man/man1/kazumaki.1.gz; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/kazumaki" ] && [ -x "$prefix/bin/kazumaki-tool" ] || fail "programs are not executable"
# The help, printing, chart and network libraries come with the plugin, not at start.
if readelf -d "$prefix/bin/kazumaki" | grep -E 'NEEDED.*(Qt6Help|Qt6Network|Qt6PrintSupport|Qt6Sql|Qt6Charts)'; then
  fail "the program loads the extras' libraries at start"
fi
readelf -d "$prefix/$extras" | grep -q 'NEEDED.*Qt6Help' || fail "the plugin does not bring the help library"
snapshot() { (cd "$root" && find . -printf '%p %s %T@ %m\n' | sort); }
snapshot >"$tmp/before"

tool=$prefix/bin/kazumaki-tool
run() { (cd "$tmp" && env -u XDG_DATA_HOME HOME="$tmp/home" "$@"); }

# First use: the per-user folder is made and seeded from the installed database.
run XDG_DATA_HOME="$tmp/xdg" "$tool" export-csv --prizes >"$tmp/out.csv" || fail "export-csv failed"
cmp -s "$tmp/out.csv" "$csv" || fail "export-csv on the per-user copy differs from the shipped history"
user=$tmp/xdg/kazumaki
cmp -s "$user/Kazumaki.mdb" "$prefix/share/kazumaki/Kazumaki.mdb" || fail "per-user copy is not the installed database"

# Changes go to the per-user copy and are kept at the next start.
printf 'draw,date,n1,n2,n3,n4,n5,bonus\n1,,1,2,3,4,5,6\n' >"$tmp/one.csv"
run XDG_DATA_HOME="$tmp/xdg" "$tool" import-csv "$tmp/one.csv" "$user/Kazumaki.mdb" || fail "import into the per-user copy failed"
run XDG_DATA_HOME="$tmp/xdg" "$tool" export-csv >"$tmp/out.csv" || fail "second export-csv failed"
cmp -s "$tmp/out.csv" "$tmp/one.csv" || fail "the per-user copy was replaced by the installed database"
run XDG_DATA_HOME="$tmp/xdg" "$tool" grid 出現間隔分析 >"$tmp/grid.json" || fail "grid on the per-user copy failed"
grep -q '出現間隔分析' "$tmp/grid.json" || fail "grid printed no window"

# Without XDG_DATA_HOME the per-user folder is ~/.local/share/kazumaki.
run "$tool" export-csv --prizes >"$tmp/out.csv" || fail "export-csv with HOME only failed"
cmp -s "$tmp/out.csv" "$csv" || fail "export-csv with HOME only differs from the shipped history"
[ -f "$tmp/home/.local/share/kazumaki/Kazumaki.mdb" ] || fail "no copy in ~/.local/share/kazumaki"

# An explicit database still works as before.
run "$tool" export-csv "$prefix/share/kazumaki/Kazumaki.mdb" --prizes >"$tmp/out.csv" || fail "export-csv DB failed"
cmp -s "$tmp/out.csv" "$csv" || fail "export-csv DB differs from the shipped history"

snapshot >"$tmp/after"
diff -u "$tmp/before" "$tmp/after" >&2 || fail "something was written under the installation prefix"
echo "installed program runs on its per-user copy; prefix untouched"
