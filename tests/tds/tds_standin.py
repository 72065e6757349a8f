#!/usr/bin/env python3
"""A small SQL Server stand-in for tests: speaks just enough TDS 7.x for the
FreeTDS ODBC driver to log in and run SQL batches, on loopback only.

It records the text of every SQL batch. A test steers it through a line-based
control channel on loopback (one command per line, one reply line; 'batches'
replies with one line per batch and a final 'END'):

  refuse on|off     close / reopen the listening socket (connections refused)
  drop              close every client connection now
  fail none|all     answer batches normally / with an error
  fail nth N        answer the N-th batch from now on (1 = the next) with an error
  fail text T       answer every batch containing T with an error
  batches           the recorded batch texts (backslash, CR and LF escaped)
  count             number of batches recorded
  logins            number of logins answered
  clear             forget recorded batches and counters
  ping              'OK'
"""
import argparse
import os
import socket
import struct
import sys
import threading

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from listening_socket import ListeningSocket  # noqa: E402

PKT_SQLBATCH = 0x01
PKT_REPLY = 0x04
PKT_ATTENTION = 0x06
PKT_LOGIN7 = 0x10
PKT_PRELOGIN = 0x12

TOKEN_ERROR = 0xAA
TOKEN_LOGINACK = 0xAD
TOKEN_ENVCHANGE = 0xE3
TOKEN_DONE = 0xFD

DONE_FINAL = 0x0000
DONE_ERROR = 0x0002
DONE_COUNT = 0x0010
DONE_ATTN = 0x0020

ERROR_NUMBER = 50000
ERROR_TEXT = "Statement refused by the test database"


def log(*args):
    print("tds-standin:", *args, file=sys.stderr, flush=True)


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(text)]) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(text)) + data


def token(tok, body):
    return bytes([tok]) + struct.pack("<H", len(body)) + body


def done(status, rows=0):
    return bytes([TOKEN_DONE]) + struct.pack("<HHQ", status, 0xC1, rows)


def error_token(text):
    body = struct.pack("<IBB", ERROR_NUMBER, 1, 16) + us_varchar(text) \
        + b_varchar("HALVEXTEST") + b_varchar("") + struct.pack("<I", 1)
    return token(TOKEN_ERROR, body)


class State:
    def __init__(self):
        self.lock = threading.Lock()
        self.batches = []
        self.logins = 0
        self.fail_all = False
        self.fail_nth = None   # absolute batch number that fails
        self.fail_texts = []
        self.clients = set()

    def decide(self, text):
        """Records a batch; returns True when it is to be refused."""
        with self.lock:
            self.batches.append(text)
            n = len(self.batches)
            if self.fail_all:
                return True
            if self.fail_nth is not None and n == self.fail_nth:
                return True
            return any(t in text for t in self.fail_texts)


class Listener(ListeningSocket):
    """The TDS listening socket; closing it makes connections be refused."""

    def __init__(self, state, port):
        super().__init__("127.0.0.1", port, self.start_session)
        self.state = state

    def start_session(self, conn, _):
        threading.Thread(target=Session(self.state, conn).run, daemon=True).start()


class Session:
    def __init__(self, state, conn):
        self.state = state
        self.conn = conn
        self.packet_id = 1

    def recv_exact(self, n):
        buf = b""
        while len(buf) < n:
            part = self.conn.recv(n - len(buf))
            if not part:
                raise EOFError
            buf += part
        return buf

    def recv_message(self):
        """One TDS message (packets up to the one flagged end-of-message)."""
        kind, data = None, b""
        while True:
            head = self.recv_exact(8)
            ptype, status, length = head[0], head[1], struct.unpack(">H", head[2:4])[0]
            if length < 8:
                raise EOFError
            data += self.recv_exact(length - 8)
            kind = ptype if kind is None else kind
            if status & 0x01:
                return kind, data

    def send_message(self, payload, kind=PKT_REPLY):
        chunk = 4096 - 8
        parts = [payload[i:i + chunk] for i in range(0, len(payload), chunk)] or [b""]
        out = b""
        for i, part in enumerate(parts):
            status = 0x01 if i == len(parts) - 1 else 0x00
            out += struct.pack(">BBHHBB", kind, status, len(part) + 8, 0, self.packet_id & 0xFF, 0) + part
            self.packet_id += 1
        self.conn.sendall(out)

    def prelogin_reply(self):
        options = [
            (0x00, bytes([11, 0, 0x0C, 0x38, 0, 0])),  # version
            (0x01, bytes([0x02])),                    # encryption not supported
            (0x02, bytes([0])),                       # instance
            (0x03, b""),                              # thread id
            (0x04, bytes([0])),                       # MARS off
        ]
        offset = len(options) * 5 + 1
        head, body = b"", b""
        for opt, value in options:
            head += struct.pack(">BHH", opt, offset + len(body), len(value))
            body += value
        return head + b"\xff" + body

    def login_reply(self):
        ack = bytes([1]) + bytes([0x73, 0x0B, 0x00, 0x03]) + b_varchar("Microsoft SQL Server") \
            + bytes([11, 0, 0x0C, 0x38])
        env = bytes([1]) + b_varchar("HalvexReports") + b_varchar("master")
        return token(TOKEN_LOGINACK, ack) + token(TOKEN_ENVCHANGE, env) + done(DONE_FINAL)

    @staticmethod
    def batch_text(data):
        # TDS 7.2+ batches start with an ALL_HEADERS block: its total length first.
        if len(data) >= 4:
            total = struct.unpack("<I", data[:4])[0]
            if 4 <= total <= len(data):
                data = data[total:]
        return data.decode("utf-16-le", errors="replace")

    def run(self):
        with self.state.lock:
            self.state.clients.add(self.conn)
        try:
            while True:
                kind, data = self.recv_message()
                if kind == PKT_PRELOGIN:
                    self.send_message(self.prelogin_reply())
                elif kind == PKT_LOGIN7:
                    with self.state.lock:
                        self.state.logins += 1
                    self.send_message(self.login_reply())
                elif kind == PKT_SQLBATCH:
                    text = self.batch_text(data)
                    refused = self.state.decide(text)
                    log("batch", "refused" if refused else "ok", repr(text))
                    if refused:
                        self.send_message(error_token(ERROR_TEXT) + done(DONE_ERROR))
                    else:
                        self.send_message(done(DONE_COUNT, 1))
                elif kind == PKT_ATTENTION:
                    self.send_message(done(DONE_ATTN))
                else:
                    log("unhandled packet type", hex(kind))
                    self.send_message(error_token("Request type not supported") + done(DONE_ERROR))
        except (EOFError, OSError):
            pass
        finally:
            with self.state.lock:
                self.state.clients.discard(self.conn)
            try:
                self.conn.close()
            except OSError:
                pass


def escape(text):
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


def control_command(state, listener, line):
    words = line.split(" ", 2)
    cmd = words[0]
    arg = words[1] if len(words) > 1 else ""
    with state.lock:
        if cmd == "ping":
            return "OK"
        if cmd == "count":
            return str(len(state.batches))
        if cmd == "logins":
            return str(state.logins)
        if cmd == "batches":
            return "".join("B " + escape(b) + "\n" for b in state.batches) + "END"
        if cmd == "clear":
            state.batches.clear()
            state.logins = 0
            state.fail_nth = None
            return "OK"
        if cmd == "fail" and arg == "none":
            state.fail_all, state.fail_nth, state.fail_texts = False, None, []
            return "OK"
        if cmd == "fail" and arg == "all":
            state.fail_all = True
            return "OK"
        if cmd == "fail" and arg == "nth" and len(words) == 3 and words[2].isdigit():
            state.fail_nth = len(state.batches) + int(words[2])
            return "OK"
        if cmd == "fail" and arg == "text" and len(words) == 3 and words[2]:
            state.fail_texts.append(words[2])
            return "OK"
        if cmd == "drop":
            clients = list(state.clients)
        elif cmd == "refuse" and arg in ("on", "off"):
            clients = None
        else:
            return "ERR unknown command"
    if cmd == "drop":
        for c in clients:
            try:
                c.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        return "OK"
    if arg == "on":
        listener.close()
    else:
        listener.open()
    return "OK"


def control_loop(state, listener, server):
    def serve(conn):
        with conn:
            f = conn.makefile("rwb")
            for raw in f:
                line = raw.decode("utf-8", errors="replace").rstrip("\r\n")
                reply = control_command(state, listener, line)
                f.write((reply + "\n").encode("utf-8"))
                f.flush()

    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


def end_with_parent():
    """Ends the stand-in when the launcher dies, even by SIGKILL (a test time-out)."""
    try:
        import ctypes
        import signal
        ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass
    if os.getppid() == 1:
        sys.exit(0)


def main():
    end_with_parent()
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True,
                        help="written once both ports listen: '<tds port> <control port>'")
    args = parser.parse_args()

    state = State()
    listener = Listener(state, 0)
    listener.open()
    control = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    control.bind(("127.0.0.1", 0))
    control.listen(8)

    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d %d\n" % (listener.port, control.getsockname()[1]))
    os.rename(tmp, args.port_file)
    log("listening on", listener.port, "control", control.getsockname()[1])
    control_loop(state, listener, control)


if __name__ == "__main__":
    main()
