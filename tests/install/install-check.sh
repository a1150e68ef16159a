#!/usr/bin/env bash
# install-check.sh tree|package <build folder> <application id> <program...>
#   tree     installs into a temporary DESTDIR and validates what desktops read
#   package  builds the .deb and checks its contents and dependencies, and
#            lintian checks it
set -eu
check=$1 build=$2 app_id=$3
shift 3
programs=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Paths every install must hold, relative to the prefix /usr.
icon_sizes=(16x16 32x32 48x48 64x64 128x128 256x256)
expected=(share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml
          share/mime/packages/$app_id.xml share/tarvo/OpenSourceLicense.txt
          share/doc/tarvo/copyright share/doc/tarvo/changelog.gz
          share/icons/hicolor/scalable/apps/$app_id.svg
          share/icons/hicolor/scalable/mimetypes/application-x-tarvo-project.svg)
for size in "${icon_sizes[@]}"; do
  expected+=(share/icons/hicolor/$size/apps/$app_id.png share/icons/hicolor/$size/mimetypes/application-x-tarvo-project.png)
done
for program in "${programs[@]}"; do
  expected+=(bin/$program share/man/man1/$program.1.gz)
done

case "$check" in
tree)
  DESTDIR=$work cmake --install "$build" --prefix /usr >/dev/null
  share=$work/usr/share
  for path in "${expected[@]}"; do
    [ -s "$work/usr/$path" ] || fail "not installed: $path"
  done
  desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop entry"
  appstreamcli validate --no-net --pedantic "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo"
  # The launcher opens project files, and shared-mime-info maps them to the
  # type whose icon is installed.
  grep -q '^MimeType=application/x-tarvo-project;$' "$share/applications/$app_id.desktop" \
    || fail "desktop entry does not name the project file type"
  grep -q "^Icon=$app_id\$" "$share/applications/$app_id.desktop" || fail "desktop entry icon"
  update-mime-database "$share/mime" 2>/dev/null
  grep -q '^[0-9]*:application/x-tarvo-project:\*\.tarvo$' "$share/mime/globs2" || fail "*.tarvo glob"
  for page in "$share"/man/man1/*.1.gz; do
    [ -z "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)" ] || fail "man page $page"
  done
  ;;
package)
  cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
  deb=$(ls "$work"/*.deb)
  contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for path in "${expected[@]}"; do
    grep -qx "./usr/$path" <<<"$contents" || fail "not in the package: $path"
  done
  # Debian's own checks: copyright, changelog, compressed manual pages and the rest.
  lintian --fail-on error,warning "$deb" || fail "lintian"
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in libqt5widgets5 librtmidi libjack libasound2 libc6; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
  done
  ;;
*) fail "unknown check $check" ;;
esac
echo "install $check: ok"
