#!/usr/bin/env bash
# The installed korrin-tool runs as a user runs it: no plugin folder given, so
# it must find its plugins in lib/korrin/ of its prefix to unpack a packet.
# usage: installed_tool.sh DESTDIR QWKGEN
. "$(dirname "$0")/common.sh"
root=$(installed_root "$1")
qwkgen=$2
make_world

out=$("$root/bin/korrin-tool" --help 2>&1) || fail "korrin-tool --help failed: $out"
grep -q "usage: korrin-tool" <<<"$out" || fail "korrin-tool --help printed: $out"

"$qwkgen" --out "$WORLD/packet" --messages 5 --zip "$WORLD/GENBBS.QWK" >/dev/null || fail "qwkgen failed"
out=$("$root/bin/korrin-tool" info "$WORLD/GENBBS.QWK" --json 2>&1) || fail "korrin-tool info failed: $out"
grep -q '"bbsId": *"GENBBS"' <<<"$out" || fail "korrin-tool info printed: $out"

# Without its plugins the tool says where it looked, and fails.
mkdir -p "$WORLD/bare/bin"
cp "$root/bin/korrin-tool" "$WORLD/bare/bin/"
status=0
out=$("$WORLD/bare/bin/korrin-tool" info "$WORLD/GENBBS.QWK" 2>&1) || status=$?
[[ $status == 1 ]] || fail "without plugins korrin-tool info gave exit code $status: $out"
grep -q "lib/korrin" <<<"$out" || fail "the missing plugin's message names no place: $out"
echo "the installed korrin-tool reads packets"
