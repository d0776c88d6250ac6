#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under the prefix /usr and checks
# that exactly the programs, plugins and desktop files land where a Linux
# desktop looks for them (nothing of the build's tests or tools besides).
# usage: install_tree.sh BUILD_DIR DESTDIR WITH_READER(ON|OFF)
. "$(dirname "$0")/common.sh"
build=$1 dest=$2 reader=$3

rm -rf "$dest"
DESTDIR="$dest" cmake --install "$build" --prefix /usr >"$dest.log" 2>&1 ||
  { cat "$dest.log"; fail "cmake --install failed (build every target first)"; }

expected=(
  bin/korrin-tool
  lib/korrin/libxcdunzip.so lib/korrin/libxcdzip.so
  share/doc/korrin/copyright share/doc/korrin/korrin-tool.md
  share/man/man1/korrin-tool.1.gz share/doc/korrin/changelog.gz
)
if [[ $reader == ON ]]; then
  expected+=(
    bin/korrin
    share/applications/korrin.desktop
    share/icons/hicolor/scalable/apps/korrin.svg
    share/man/man1/korrin.1.gz
    share/metainfo/com.halvane.korrin.metainfo.xml
    share/mime/packages/korrin.xml
    share/korrin/help/contents.html share/korrin/help/help.css
  )
fi
listing=$(cd "$dest/usr" && find . -type f -o -type l | sed 's|^\./||' | sort)
for f in "${expected[@]}"; do
  grep -qx "$f" <<<"$listing" || fail "$f was not installed; installed: $listing"
done
unexpected=$(grep -v -x -F "$(printf '%s\n' "${expected[@]}")" <<<"$listing" | grep -v '^share/korrin/help/[a-z_]*\.html$' || true)
[[ -z $unexpected ]] || fail "installed but not meant to be: $unexpected"

[[ -x "$dest/usr/bin/korrin-tool" ]] || fail "bin/korrin-tool is not executable"
[[ $reader != ON || -x "$dest/usr/bin/korrin" ]] || fail "bin/korrin is not executable"
# The help pages are all there: every page the built-in copy has.
if [[ $reader == ON ]]; then
  src=$(dirname "$0")/../../src/explorer/qt/help
  for page in "$src"/*.html; do
    cmp -s "$page" "$dest/usr/share/korrin/help/$(basename "$page")" || fail "help page $(basename "$page") differs or is missing"
  done
fi
echo "installed into $dest/usr"
