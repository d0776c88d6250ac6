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
# Not a first start (the first-run box would wait for an answer offscreen) and
# no viewer: the two values the reader reads, written into its registry file.
python3 - "$KORRIN_REGISTRY" <<'PY' || fail "could not prepare the registry"
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
           " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(parent, name))")
db.execute("CREATE TABLE IF NOT EXISTS vals(key INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
           " type INTEGER NOT NULL, data, PRIMARY KEY(key, name)) WITHOUT ROWID")
def key(path, parent=-1):  # -1: the root the reader keeps its settings under
    for part in path.split("\\"):
        db.execute("INSERT OR IGNORE INTO keys(parent, name) VALUES(?, ?)", (parent, part))
        parent = db.execute("SELECT id FROM keys WHERE parent=? AND name=?", (parent, part)).fetchone()[0]
    return parent
program = key("SOFTWARE\\Halvane Software Development\\Korrin offline mail reader")
db.execute("INSERT OR REPLACE INTO vals VALUES(?, 'Current Version', 1, '1 . 3')", (program,))
db.execute("INSERT OR REPLACE INTO vals VALUES(?, 'Display first message', 4, 0)", (key("Config\\Main", program),))
db.commit()
PY

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
