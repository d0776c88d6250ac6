#!/usr/bin/env bash
# Under a test desktop (its own XDG folders, no desktop environment named),
# the installed desktop entry and mime types are registered as a package's
# triggers do; then a ".qwk" file, whatever the letter case of its name, is
# known as a QWK packet, korrin is its default program, and xdg-open starts
# korrin with the file. A stand-in korrin on the PATH records what it is given.
# usage: desktop_registration.sh DESTDIR QWKGEN
. "$(dirname "$0")/common.sh"
root=$(installed_root "$1")
qwkgen=$2
[[ -f "$root/share/applications/korrin.desktop" ]] || skip "the reader is not built (KORRIN_BUILD_UI=OFF)"
need update-mime-database update-desktop-database xdg-mime xdg-open mimetype
# The menu entry's icon is installed in the theme the menus fall back to,
# and the metainfo finds its desktop entry in the installed tree.
icon=$(sed -n 's/^Icon=//p' "$root/share/applications/korrin.desktop")
compgen -G "$root/share/icons/hicolor/*/apps/$icon.*" >/dev/null || fail "no icon named $icon is installed"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --no-net "$(dirname "$root")" || fail "the installed tree does not validate"
fi
make_world
share="$WORLD/data"
cp -r "$root/share/applications" "$root/share/mime" "$root/share/icons" "$share/"
update-mime-database "$share/mime" || fail "update-mime-database failed"
update-desktop-database "$share/applications" || fail "update-desktop-database failed"
export XDG_DATA_DIRS="$share" XDG_CONFIG_DIRS="$WORLD/config"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID XDG_SESSION_DESKTOP
export DISPLAY=:99 BROWSER=false

mkdir -p "$WORLD/stub" "$WORLD/files"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "%s/started"\n' "$WORLD" >"$WORLD/stub/korrin"
chmod +x "$WORLD/stub/korrin"
export PATH="$WORLD/stub:$PATH"

"$qwkgen" --out "$WORLD/packet" --messages 3 --zip "$WORLD/files/GENBBS.QWK" >/dev/null || fail "qwkgen failed"
cp "$WORLD/files/GENBBS.QWK" "$WORLD/files/genbbs.qw1"
printf 'PK\003\004 not really' >"$WORLD/files/GENBBS.REP"
for f in GENBBS.QWK genbbs.qw1; do
  type=$(xdg-mime query filetype "$WORLD/files/$f")
  [[ $type == application/x-qwk-packet ]] || fail "$f is taken for $type"
done
type=$(xdg-mime query filetype "$WORLD/files/GENBBS.REP")
[[ $type == application/x-qwk-reply ]] || fail "GENBBS.REP is taken for $type"

for type in application/x-qwk-packet application/x-qwk-reply; do
  app=$(xdg-mime query default "$type")
  [[ $app == korrin.desktop ]] || fail "the default program for $type is '$app'"
done

xdg-open "$WORLD/files/GENBBS.QWK" || fail "xdg-open failed"
for _ in $(seq 50); do [[ -s "$WORLD/started" ]] && break; sleep 0.1; done
[[ -s "$WORLD/started" ]] || fail "xdg-open did not start korrin"
[[ $(cat "$WORLD/started") == "$WORLD/files/GENBBS.QWK" ]] || fail "korrin was started with: $(cat "$WORLD/started")"
echo "xdg-open starts korrin with the packet"
