#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR) as the package would (prefix /usr), checks the
# file list, validates the desktop entry and the metainfo, and runs the staged program's --import
# against a loopback server as an ordinary user, from a folder that user cannot write: the list
# file must then appear under the user's $XDG_DATA_HOME/brevak/ and nothing beside the program.
#   check-install.sh BINARY_DIR SOURCE_DIR
# Exits 77 (skipped) only when a tool it needs is not installed.
set -euo pipefail
build=$1
source=$2
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in desktop-file-validate appstreamcli python3 setpriv; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/brevak-install.XXXXXX")
server=""
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
chmod 755 "$tmp"  # the ordinary user reaches the staged program through it
stage=$tmp/stage

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
expected="usr/bin/brevak
usr/share/applications/io.github.brevak.Brevak.desktop
usr/share/brevak/translations/brevak_ru.qm
usr/share/doc/brevak/changelog.gz
usr/share/doc/brevak/copyright
usr/share/doc/brevak/sources.ini.example
usr/share/icons/hicolor/128x128/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/16x16/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/22x22/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/24x24/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/256x256/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/32x32/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/48x48/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/64x64/apps/io.github.brevak.Brevak.png
usr/share/icons/hicolor/scalable/apps/io.github.brevak.Brevak.svg
usr/share/man/man1/brevak.1.gz
usr/share/man/ru/man1/brevak.1.gz
usr/share/metainfo/io.github.brevak.Brevak.metainfo.xml"
actual=$(cd "$stage" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
  echo "FAIL: installed files differ"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
desktop-file-validate "$stage/usr/share/applications/io.github.brevak.Brevak.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/io.github.brevak.Brevak.metainfo.xml"
gzip -t "$stage/usr/share/man/man1/brevak.1.gz"
# The Russian page: UTF-8 groff that renders without a warning, and the Russian desktop texts.
gzip -dc "$stage/usr/share/man/ru/man1/brevak.1.gz" | head -1 | grep -q 'coding: UTF-8' ||
  { echo "FAIL: the Russian manual page does not declare UTF-8"; exit 1; }
if command -v groff >/dev/null; then
  warnings=$(gzip -dc "$stage/usr/share/man/ru/man1/brevak.1.gz" | preconv | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "FAIL: the Russian manual page: $warnings"; exit 1; }
fi
grep -q '^Name\[ru\]=' "$stage/usr/share/applications/io.github.brevak.Brevak.desktop" &&
  grep -q '^Comment\[ru\]=' "$stage/usr/share/applications/io.github.brevak.Brevak.desktop" &&
  grep -q '^Keywords\[ru\]=' "$stage/usr/share/applications/io.github.brevak.Brevak.desktop" ||
  { echo "FAIL: the desktop entry lacks its Russian name, comment or keywords"; exit 1; }
grep -q '<summary xml:lang="ru">' "$stage/usr/share/metainfo/io.github.brevak.Brevak.metainfo.xml" &&
  grep -q '<p xml:lang="ru">' "$stage/usr/share/metainfo/io.github.brevak.Brevak.metainfo.xml" ||
  { echo "FAIL: the metainfo lacks its Russian summary or description"; exit 1; }
# The installed program finds its catalogue under share/brevak/translations.
env -i PATH=/usr/bin:/bin LANG=ru_RU.UTF-8 "$stage/usr/bin/brevak" --help | grep -q 'Использование' ||
  { echo "FAIL: the installed program's --help is not in Russian under LANG=ru_RU.UTF-8"; exit 1; }

# The user: nobody when the test runs as root (as in CI), else the one running it.
home=$tmp/home
mkdir -p "$home/config/brevak" "$home/data"
as_user=()
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  user=nobody
  chown -R nobody:nogroup "$home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

python3 "$source/scripts/demo-data/serve.py" --root "$source/scripts/demo-data/docs" \
  --ports-file "$tmp/ports" --quiet &
server=$!
for _ in $(seq 100); do [ -s "$tmp/ports" ] && break; sleep 0.1; done
port=$(awk '$1 == "http" {print $2}' "$tmp/ports")
[ -n "$port" ] || { echo "FAIL: the loopback server did not start"; exit 1; }
printf '[Hosts]\r\nRCWC=127.0.0.1:%s\r\nKDR=127.0.0.1:%s\r\n' "$port" "$port" \
  >"$home/config/brevak/sources.ini"

status=0
(cd / && env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$home/data" \
  XDG_CONFIG_HOME="$home/config" "${as_user[@]}" "$stage/usr/bin/brevak" --import RCWC,kdr) ||
  status=$?
[ "$status" -eq 0 ] || { echo "FAIL: --import exited $status"; exit 1; }
list=$home/data/brevak/brevak.ini
[ -f "$list" ] || { echo "FAIL: no list file at $list"; ls -laR "$home"; exit 1; }
head -c 8 "$list" | grep -q '^\[RCWC\]' || { echo "FAIL: $list does not start with [RCWC]"; exit 1; }
grep -aq '^\[KDR\]' "$list" || { echo "FAIL: no [KDR] section in $list"; exit 1; }
[ "$(stat -c %U "$list")" = "$user" ] ||
  { echo "FAIL: $list is not the user's"; exit 1; }
[ "$(ls "$stage/usr/bin")" = brevak ] || { echo "FAIL: files beside the program"; exit 1; }
echo "installed, validated, and imported into $list"
