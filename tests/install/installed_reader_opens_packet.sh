#!/usr/bin/env bash
# The installed reader, started offscreen with a packet on its command line,
# opens it: the packet's files appear unpacked in its work folder (under
# TMPDIR) or in the post office of the packet's BBSID (under KORRIN_HOME).
# usage: installed_reader_opens_packet.sh DESTDIR QWKGEN
. "$(dirname "$0")/common.sh"
root=$(installed_root "$1")
qwkgen=$2
[[ -x "$root/bin/korrin" ]] || skip "the reader is not built (KORRIN_BUILD_UI=OFF)"
make_world
"$qwkgen" --out "$WORLD/packet" --messages 5 --zip "$WORLD/GENBBS.QWK" >/dev/null || fail "qwkgen failed"
mkdir -p "$WORLD/reader-tmp"

QT_QPA_PLATFORM=offscreen TMPDIR="$WORLD/reader-tmp" "$root/bin/korrin" "$WORLD/GENBBS.QWK" >"$WORLD/reader.log" 2>&1 &
reader=$!
stop_reader() {
  kill -TERM "$reader" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$reader" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$reader" 2>/dev/null || true
}
trap 'stop_reader; rm -rf "$WORLD"' EXIT

opened=
for _ in $(seq 300); do
  opened=$(find "$WORLD/reader-tmp" "$WORLD/home" \( -iname messages.dat -o -iname control.dat \) -print -quit 2>/dev/null)
  [[ -n $opened ]] && break
  kill -0 "$reader" 2>/dev/null || { cat "$WORLD/reader.log"; fail "the reader ended before opening the packet"; }
  sleep 0.1
done
[[ -n $opened ]] || { cat "$WORLD/reader.log"; fail "the reader did not open the packet named on its command line within 30 s"; }
echo "the installed reader opened the packet: $opened"
