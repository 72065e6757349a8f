#!/usr/bin/env python3
"""Linux-side client against the command listener under Wine: frames go to
the listener, answers come back on new connections to the tag's reply port."""
import socket
import subprocess
import sys
import threading

RIG, PROGRAM = sys.argv[1], sys.argv[2]
REPLY_PORT = 65003  # tag "Ob30"


def frame(port, cid, command, a=0, b=0):
    return f"VeTr 1 0000000 Ob30 {port} {cid} {command} {a} {b} VTEnd".encode()


class Replies:
    def __init__(self):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", REPLY_PORT))
        self.sock.listen(5)
        self.sock.settimeout(60)

    def next(self):
        conn, _ = self.sock.accept()
        with conn:
            conn.settimeout(60)
            data = b""
            while True:
                chunk = conn.recv(4096)
                if not chunk:
                    return data.decode("ascii")
                data += chunk


def send(port, payload):
    with socket.create_connection(("127.0.0.1", port), timeout=60) as s:
        s.sendall(payload)


def main():
    replies = Replies()
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
