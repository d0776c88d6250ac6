#!/usr/bin/env python3
"""Reads an mbox written by korrin-tool with Python's mailbox module and
compares every message with the expectation file the test wrote.

usage: korrin_tool_mbox_check.py MBOX EXPECTED.json

EXPECTED.json: {"count": N, "messages": [{"from_name", "from_addr",
"to_name", "subject", "date" (ISO or null), "message_id", "conference",
"read", "body", "attachments": [{"name", "hex"}]}, ...]}; messages may
list fewer entries than count (only those are compared), and a message
without "attachments" has its attachments left alone. Exit 0 when all
agree, 1 with one line per difference otherwise.
"""

import email.policy
import json
import mailbox
import re
import sys


def unescape(body):
    # The mboxrd rule: one ">" was put in front of every ">*From " line.
    return "\n".join(re.sub(r"^>(>*From )", r"\1", line) for line in body.split("\n"))


def main():
    path, expected_path = sys.argv[1], sys.argv[2]
    with open(expected_path, encoding="utf-8") as f:
        expected = json.load(f)
    box = mailbox.mbox(path, create=False,
                       factory=lambda f: email.message_from_binary_file(f, policy=email.policy.default))
    messages = list(box)
    separators = [m.get_from() for m in mailbox.mbox(path, create=False)]
    problems = []
    if len(messages) != expected["count"]:
        problems.append("count %d, expected %d" % (len(messages), expected["count"]))
    for i, (msg, want, separator) in enumerate(zip(messages, expected["messages"], separators)):
        def check(what, got, exp):
            if got != exp:
                problems.append("message %d: %s %r, expected %r" % (i + 1, what, got, exp))

        frm = msg["From"].addresses[0]
        check("From name", frm.display_name, want["from_name"])
        if "from_addr" in want:
            check("From address", frm.addr_spec, want["from_addr"])
        check("To name", msg["To"].addresses[0].display_name, want["to_name"])
        check("Subject", str(msg["Subject"]), want["subject"])
        date = msg["Date"]
        check("Date", date.datetime.strftime("%Y-%m-%d %H:%M:%S") if date is not None else None, want["date"])
        check("Message-ID", str(msg["Message-ID"]), want["message_id"])
        check("conference", str(msg["X-Korrin-Conference-Number"]), str(want["conference"]))
        check("read", "R" in str(msg.get("Status", "")), want["read"])
        text = msg.get_body(("plain",))
        body = text.get_content()
        if text["Content-Transfer-Encoding"] != "quoted-printable":
            body = unescape(body)
        check("body", body, want["body"])
        if "attachments" in want:
            files = [(p.get_filename(), p.get_content().hex()) for p in msg.iter_attachments()]
            check("attachments", files, [(a["name"], a["hex"]) for a in want["attachments"]])
        if not separator.startswith(frm.addr_spec + " "):
            problems.append("message %d: separator line %r" % (i + 1, separator))
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
