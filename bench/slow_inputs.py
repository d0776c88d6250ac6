#!/usr/bin/env python3
"""Hostile small inputs for korrin-tool: builds each packet (standard library
only), runs the tool on it and reports wall time and peak memory.

usage: slow_inputs.py BINDIR [--only NAME]

Every input is a few MB at most; each run must stay within its time budget
(3 s, the eight-million-record index 10 s; extracting 10,000 files also the
time this machine takes to create as many) and 300 MB. A line per input:
NAME  seconds  peak MB  exit code  ok|SLOW|BIG|FAILED; the exit status is 1
when any input is over budget or failed.
"""

import bz2
import io
import mailbox
import os
import shutil
import signal
import struct
import subprocess
import sys
import tarfile
import tempfile
import time
import zipfile

MEMORY_LIMIT_MB = 300
LINE_END = b"\xe3"


def basic_single(value):
    """A block number as the index stores it (a BASIC single)."""
    if value == 0:
        return b"\0\0\0\0"
    bits = value.bit_length()
    fraction = (value << (24 - bits)) if bits <= 24 else (value >> (bits - 24))
    fraction &= 0x7FFFFF
    return bytes([fraction & 0xFF, (fraction >> 8) & 0xFF, (fraction >> 16) & 0x7F, 128 + bits])


def field(text, width):
    return text.encode("latin-1")[:width].ljust(width)


def message(conference, number, body, subject="Hello", sender="JOHN SMITH"):
    data = body.encode("latin-1").replace(b"\n", LINE_END)
    blocks = (len(data) + 127) // 128
    data = data.ljust(blocks * 128)
    header = (b" " + field(str(number), 7) + field("03-15-99", 8) + field("21:30", 5) + field("ALL", 25) +
              field(sender, 25) + field(subject, 25) + field("", 12) + field("", 8) + field(str(blocks + 1), 6) +
              b"\xe1" + struct.pack("<H", conference) + b"   ")
    assert len(header) == 128
    return header + data


def control(conferences, trailer=()):
    lines = ["HOSTILE BBS", "SPRINGFIELD", "555-0100", "SYSOP, Sysop", "00000,HOSTILE", "03-15-1999,21:30:05",
             "JOHN DOE", "", "0", "0", str(len(conferences) - 1)]
    for number, name in conferences:
        lines += [str(number), name]
    lines += list(trailer)
    return ("\r\n".join(lines) + "\r\n").encode("latin-1")


def write_packet(folder, conferences, messages, indexes):
    """messages: raw message bytes in order (from block 2); indexes: {conference: bytes}."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "control.dat"), "wb") as f:
        f.write(control(conferences))
    with open(os.path.join(folder, "messages.dat"), "wb") as f:
        f.write(b"Produced by a hostile generator".ljust(128))
        for m in messages:
            f.write(m)
    for conference, data in indexes.items():
        with open(os.path.join(folder, "%03d.ndx" % conference), "wb") as f:
            f.write(data)
    return folder


def zip_folder(folder, archive):
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for name in sorted(os.listdir(folder)):
            z.write(os.path.join(folder, name), name)
    return archive


def one_message_packet(work, name, body):
    folder = write_packet(os.path.join(work, name), [(1, "General")], [message(1, 1, body)],
                          {1: basic_single(2) + b"\x01"})
    return zip_folder(folder, os.path.join(work, name + ".qwk"))


# ---------------------------------------------------------------- inputs

def header_lines(work):
    words = ["To: someone", "From: someone else", "Subject: a subject", "Date: today", "CC: a copy"]
    body = "\n".join(words[i % 5] for i in range(200000)) + "\nBody"
    return [["show", one_message_packet(work, "headers", body), "--conference", "1", "--message", "1", "--json"]]


def many_attachments(work):
    parts = ["MIME-Version: 1.0", 'Content-Type: multipart/mixed; boundary="B"', "", "--B",
             "Content-Type: text/plain", "", "Many files"]
    for i in range(10000):
        parts += ["--B", 'Content-Type: application/octet-stream; name="f%05d.bin"' % i,
                  "Content-Transfer-Encoding: base64", "", "QUJD", ""]
    parts.append("--B--")
    packet = one_message_packet(work, "attachments", "\n".join(parts))
    out = os.path.join(work, "attachments-out")
    return {"extract": ["extract", packet, "--conference", "1", "--message", "1", "--to", out, "--force"],
            "export": ["export", packet, "--mbox", os.path.join(work, "attachments.mbox"), "--force", "--jobs", "1"]}


def missing_conferences(work):
    folder = os.path.join(work, "conferences")
    os.makedirs(folder, exist_ok=True)
    conferences = [(1, "General")] + [(1000 + i, "Nowhere %d" % i) for i in range(50000)]
    with open(os.path.join(folder, "control.dat"), "wb") as f:
        f.write(control(conferences))
    with open(os.path.join(folder, "messages.dat"), "wb") as f:
        f.write(b"Produced by a hostile generator".ljust(128) + message(1, 1, "Hello"))
    with open(os.path.join(folder, "001.ndx"), "wb") as f:
        f.write(basic_single(2) + b"\x01")
    for i in range(2000):
        with open(os.path.join(folder, "other%04d.txt" % i), "wb") as f:
            f.write(b"x")
    return [["info", folder]]


def skip_bomb(work):
    """A tar.bz2 whose first entry (no packet file) is 64 GiB of zeros, the
    packet behind it; and one whose first entry claims 3 GiB (below the size
    limit), so that only counting the bytes passed over stops it."""
    packet = write_packet(os.path.join(work, "bomb-packet"), [(1, "General")], [message(1, 1, "Hello")],
                          {1: basic_single(2) + b"\x01"})
    zeros = bz2.compress(bytes(64 << 20))
    runs = []
    for name, size in (("bomb64g", 64 << 30), ("bomb3g", 3 << 30)):
        archive = os.path.join(work, name + ".tar.bz2")
        with open(archive, "wb") as f:
            head = tarfile.TarInfo("zeros.bin")
            head.size = size
            f.write(bz2.compress(head.tobuf(format=tarfile.GNU_FORMAT)))
            for _ in range(size // (64 << 20)):
                f.write(zeros)
            rest = io.BytesIO()
            with tarfile.open(fileobj=rest, mode="w", format=tarfile.GNU_FORMAT) as t:
                for n in sorted(os.listdir(packet)):
                    t.add(os.path.join(packet, n), n)
            f.write(bz2.compress(rest.getvalue()))
        runs.append(["list", archive])
    return runs


def big_index(work):
    folder = write_packet(os.path.join(work, "index"), [(1, "General")], [message(1, 1, "Hello")],
                          {1: (basic_single(2) + b"\x01") * 8000000})
    return [["list", zip_folder(folder, os.path.join(work, "index.qwk")), "--json"]]


def far_block(work):
    folder = write_packet(os.path.join(work, "far"), [(1, "General")], [message(1, 1, "Hi")],
                          {1: basic_single(2 ** 31 - 128) + b"\x01"})
    return [["export", folder, "--mbox", os.path.join(work, "far.mbox"), "--force"]]


# ---------------------------------------------------------------- running

def peak_mb(pid):
    """The process's high-water resident memory so far (VmHWM), in MB."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return 0.0


def run(tool, args, env):
    """Wall time, peak resident memory (MB) and exit code of one run. The
    peak is read from /proc while the tool runs (the fork's own usage would
    count this script's memory as well)."""
    start = time.monotonic()
    proc = subprocess.Popen([tool] + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    peak = 0.0
    while proc.poll() is None:
        peak = max(peak, peak_mb(proc.pid))
        time.sleep(0.005)
    elapsed = time.monotonic() - start
    return elapsed, peak, proc.returncode


def creation_floor(work, count):
    """Seconds this machine takes to create `count` small files in one
    folder: extracting that many attachments cannot be faster."""
    folder = os.path.join(work, "floor")
    os.makedirs(folder, exist_ok=True)
    start = time.monotonic()
    for i in range(count):
        fd = os.open(os.path.join(folder, "f%05d" % i), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
        os.write(fd, b"ABC")
        os.close(fd)
    elapsed = time.monotonic() - start
    shutil.rmtree(folder, ignore_errors=True)
    return elapsed


def forged_mailbox(tool, work, env):
    """A long line is quoted-printable; none of its soft breaks may start a mailbox message."""
    forged = "From evil@x Sat Jan  1 00:00:00 2000 " * 100
    folder = write_packet(os.path.join(work, "forge"), [(1, "General")],
                          [message(1, 1, forged + "\nFrom: x\n" + forged)], {1: basic_single(2) + b"\x01"})
    mbox = os.path.join(work, "forge.mbox")
    subprocess.run([tool, "export", folder, "--mbox", mbox, "--force"], env=env, check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return len(mailbox.mbox(mbox, create=False)) if os.path.exists(mbox) else -1


def interrupted(tool, work, env):
    """SIGINT while a large packet is read: seconds to stop, and whether the
    temporary folders are gone."""
    tmp = os.path.join(work, "tmp-ctrl-c")
    os.makedirs(tmp, exist_ok=True)
    body = "\n".join("line %d of a message" % i for i in range(20))
    messages = [message(1, i + 1, body) for i in range(40000)]
    index, block = [], 2
    for m in messages:
        index.append(basic_single(block) + b"\x01")
        block += len(m) // 128
    folder = write_packet(os.path.join(work, "ctrlc"), [(1, "General")], messages, {1: b"".join(index)})
    packet = zip_folder(folder, os.path.join(work, "ctrlc.qwk"))
    child_env = dict(env, TMPDIR=tmp)
    proc = subprocess.Popen([tool, "export", packet, "--mbox", os.path.join(work, "ctrlc.mbox"), "--force",
                             "--jobs", "1"], env=child_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.3)
    start = time.monotonic()
    proc.send_signal(signal.SIGINT)
    code = proc.wait()
    elapsed = time.monotonic() - start
    for _ in range(50):  # the guardian may still be removing
        if not os.listdir(tmp):
            break
        time.sleep(0.05)
    left = os.listdir(tmp) + [n for n in os.listdir(work) if n.startswith("ctrlc.mbox.")]
    return elapsed, code, left


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    bindir = sys.argv[1]
    only = sys.argv[sys.argv.index("--only") + 1] if "--only" in sys.argv else None
    tool = os.path.join(bindir, "korrin-tool")
    if not os.access(tool, os.X_OK):
        print("slow inputs: no korrin-tool in %s" % bindir)
        return 1
    work = tempfile.mkdtemp(prefix="korrin-slow-")
    env = dict(os.environ, KORRIN_PLUGIN_DIR=bindir, KORRIN_HOME=os.path.join(work, "home"))
    failed = False
    try:
        inputs = [("header-lines", header_lines, 3), ("attachments", many_attachments, 3),
                  ("missing-conferences", missing_conferences, 3), ("skip-bomb", skip_bomb, 3),
                  ("index-8M", big_index, 10), ("far-block", far_block, 3)]
        print("%-28s %8s %9s %5s" % ("input", "seconds", "peak MB", "exit"))
        for name, build, budget in inputs:
            if only and only != name:
                continue
            runs = build(work)
            named = runs.items() if isinstance(runs, dict) else [(str(i + 1), r) for i, r in enumerate(runs)]
            for label, args in named:
                allowed = budget
                if name == "attachments" and label == "extract":
                    # Writing 10,000 files costs what the file system asks.
                    floor = creation_floor(work, 10000)
                    allowed += floor
                    print("%-28s %8.2f %9s %5s  (creating 10,000 files here)" % ("file-creation floor", floor, "-", "-"))
                elapsed, peak, code = run(tool, args, env)
                verdict = "ok"
                if elapsed > allowed:
                    verdict = "SLOW"
                elif peak > MEMORY_LIMIT_MB:
                    verdict = "BIG"
                elif code not in (0, 1):
                    verdict = "FAILED"
                failed = failed or verdict != "ok"
                print("%-28s %8.2f %9.1f %5d  %s" % (name + " " + label, elapsed, peak, code, verdict))
        if not only or only == "forge":
            count = forged_mailbox(tool, work, env)
            failed = failed or count != 1
            print("%-28s %s" % ("forged-mailbox", "ok (1 message)" if count == 1 else "FORGED (%d)" % count))
        if not only or only == "ctrl-c":
            elapsed, code, left = interrupted(tool, work, env)
            ok = elapsed <= 3 and not left
            failed = failed or not ok
            print("%-28s %8.2f %9s %5d  %s" % ("ctrl-c", elapsed, "-", code,
                                                 "ok" if ok else "LEFT %s" % left if left else "SLOW"))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
