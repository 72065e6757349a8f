#!/usr/bin/env python3
"""Linux-side client against the command listener under Wine: frames go to
the listener, answers come back on new connections to the tag's reply port."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import command_client  # noqa: E402
from command_client import Replies, send  # noqa: E402

RIG, PROGRAM = sys.argv[1], sys.argv[2]
REPLY_PORT = 65003  # tag "Ob30"


def frame(port, cid, command, a=0, b=0):
    return command_client.frame("Ob30", port, cid, command, a, b)


def main():
    replies = Replies(REPLY_PORT)
    proc = subprocess.Popen([f"{RIG}/wine-run", PROGRAM], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    failures = []
    try:
        ready = proc.stdout.readline().split()
        assert ready[:1] == ["LISTENING"], ready
        port = int(ready[1])
        cases = [
            (frame(1, 99, "ST"), lambda r: r == "ERR 1 99 "),
            (frame(1, 5, "RE", 496), lambda r: r == "RE 5 496 4660"),
            (frame(1, 5, "WE", 500, 77), lambda r: r == "WE 5 500 77"),
            (frame(1, 5, "ST"), lambda r: r == "ST 2024-03-05 14:07:00 AB 101"),
            # An extra end marker must not run the write twice: one answer only.
            (frame(1, 5, "WE", 501, 9) + b" VTEnd", lambda r: r == "WE 5 501 9"),
            (frame(1, 5, "RE", 497), lambda r: r == "RE 5 497 4660"),
        ]
        for request, check in cases:
            send(port, request)
            answer = replies.next()
            if not check(answer):
                failures.append(f"{request!r} -> {answer!r}")
            else:
                print(f"ok {request!r} -> {answer!r}")
    finally:
        proc.stdin.close()
        try:
            proc.wait(timeout=60)
        except subprocess.TimeoutExpired:
            proc.kill()
            failures.append("rig did not stop")
    if proc.returncode != 0:
        failures.append(f"rig exit code {proc.returncode}")
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
