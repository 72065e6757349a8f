#!/usr/bin/env python3
"""The server's services end to end: the real bus on a simulated controller
line, the real listener, dispatcher and consumer as the server starts them.
This Linux-side client writes frames to the server's TCP port, takes every
answer on its own reply port, drives the simulated controller through its
control channel and reads the monthly registration file."""
import datetime
import glob
import os
import re
import socket
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "services"))
import command_client  # noqa: E402
from command_client import Replies, send  # noqa: E402

WITH_SIM, SHIM_DIR, RIG = sys.argv[1], sys.argv[2], sys.argv[3]
RIG_DIR = os.path.dirname(RIG)
REPLY_PORT = 65003  # tag "Ob30"
CONTROLLER = 5
HEADER = b"Raw,MediaID,DateTime,Port,Controller,Event,DateTimeDL\r\n"


def frame(port, cid, command, a=0, b=0):
    return command_client.frame("Ob30", port, cid, command, a, b)


class Sim:
    def __init__(self, address):
        host, port = address.split(":")
        self.address = (host, int(port))

    def request(self, line):
        with socket.create_connection(self.address, timeout=60) as s:
            s.sendall(line.encode() + b"\n")
            answer = s.makefile("rb").readline().decode().strip()
        if not answer.startswith("OK"):
            raise RuntimeError(f"simulator: {line} -> {answer}")
        return answer[2:].strip()


def main():
    for old in glob.glob(os.path.join(RIG_DIR, "Halvex-*.regQv")) + glob.glob(os.path.join(RIG_DIR, "*.sqlite")):
        os.remove(old)
    replies = Replies(REPLY_PORT)
    # with-sim.sh prints the COM number before the program starts; the
    # settings file must name it, so the program waits for it on stdin.
    proc = subprocess.Popen(["bash", WITH_SIM, "--shim-dir", SHIM_DIR, "--ports", "1",
                             "--device", f"0:{CONTROLLER}", "--", RIG],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    errors = []
    threading.Thread(target=lambda: errors.extend(proc.stderr), daemon=True).start()
    failures = []

    def check(name, ok, detail):
        print(("ok " if ok else "FAIL ") + name + ": " + detail)
        if not ok:
            failures.append(name)

    try:
        line = proc.stdout.readline()
        m = re.search(r"COM ports (\d+), control (\S+)", line)
        assert m, line
        com, sim = int(m.group(1)), Sim(m.group(2))
        with open(os.path.join(RIG_DIR, "Halvex.ini"), "w", newline="\r\n") as ini:
            ini.write(f"[Controllers]\nOnLine=1\nCount=1\nController0={CONTROLLER}\nCommPort0={com}\nName0=Door\n"
                      "[Database]\nUseBCDB=0\n[Misc]\nTCPPort=0\n")
        proc.stdin.write("GO\n")
        proc.stdin.flush()
        out = []
        while True:
            line = proc.stdout.readline()
            assert line, "rig ended: " + "".join(out)
            out.append(line)
            if line.startswith("LISTENING"):
                break
        tcp = int(line.split()[1])

        def ask(request):
            send(tcp, request)
            return replies.next()

        answer = ask(frame(1, 99, "ST"))
        check("unknown controller", answer == "ERR 1 99 ", repr(answer))

        sim.request(f"EEPROM {com} {CONTROLLER} 01F0 1234")
        answer = ask(frame(com, CONTROLLER, "RE", 496))
        check("read EEPROM", answer == f"RE {CONTROLLER} 496 4660", repr(answer))

        answer = ask(frame(com, CONTROLLER, "WE", 500, 77))
        stored = sim.request(f"EEPROM {com} {CONTROLLER} 01F4")
        check("write EEPROM", answer == f"WE {CONTROLLER} 500 77" and stored == "004D",
              f"{answer!r}, controller holds {stored}")

        # A second read of a word already answered is a new read, not the old word.
        sim.request(f"EEPROM {com} {CONTROLLER} 01F0 0BCD")
        answer = ask(frame(com, CONTROLLER, "RE", 496))
        check("read again", answer == f"RE {CONTROLLER} 496 3021", repr(answer))

        # The view drops the stored status as soon as it has shown it; the
        # answer still carries the reply's texts.
        for attempt in range(3):
            answer = ask(frame(com, CONTROLLER, "ST"))
            clock = datetime.datetime.strptime(sim.request(f"CLOCK {com} {CONTROLLER}"), "%d.%m.%Y %H:%M:%S")
            m = re.fullmatch(r"ST (\d{4}-\d\d-\d\d) \d\d:\d\d:\d\d 01 100", answer)
            check(f"status {attempt + 1}", bool(m) and m.group(1) == clock.strftime("%Y-%m-%d"), repr(answer))

        # An extra end marker runs nothing twice.
        answer = ask(frame(com, CONTROLLER, "WE", 501, 9) + b" VTEnd")
        extra = replies.none_within(3)
        check("extra end marker", answer == f"WE {CONTROLLER} 501 9" and extra is None, f"{answer!r}, then {extra!r}")

        # Registrations: one that is not a real date, then a valid one.
        now = datetime.datetime.now()
        bad = "10" + "3102" + "%02d" % (now.year % 4) + "000001" + "000000000099"
        good = "10" + now.strftime("%d%m") + "%02d" % (now.year % 4) + "000001" + "000012345678"
        sim.request(f"REG {com} {CONTROLLER} {bad}")
        sim.request(f"REG {com} {CONTROLLER} {good}")
        files = []
        deadline = time.time() + 60
        content = b""
        while time.time() < deadline:
            files = glob.glob(os.path.join(RIG_DIR, "Halvex-*.regQv"))
            if files:
                with open(files[0], "rb") as f:
                    content = f.read()
                if content.count(b"\r\n") >= 2:
                    break
            time.sleep(0.2)
        expected_name = "Halvex-" + now.strftime("%Y-%m") + ".regQv"
        check("monthly file name", [os.path.basename(f) for f in files] == [expected_name], repr(files))
        lines = content.split(b"\r\n")
        check("monthly file header", content.startswith(HEADER), repr(content[:80]))
        want = re.escape(f"{good},000012345678,{now:%Y-%m-%d} 00:00:01,{com:03d},{CONTROLLER:03d},10,") + \
            r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d"
        check("registration line", len(lines) == 3 and re.fullmatch(want, lines[1].decode()) is not None
              and lines[2] == b"", repr(content))

        # "DD" removes the controller on the view's thread; later frames for it
        # are answered with "ERR".
        send(tcp, frame(com, CONTROLLER, "DD"))
        removed = proc.stdout.readline()
        check("removed over TCP", removed.split() == ["REMOVED", str(com), str(CONTROLLER), "0"], repr(removed))
        answer = ask(frame(com, CONTROLLER, "ST"))
        check("removed controller is unknown", answer == f"ERR {com} {CONTROLLER} ", repr(answer))
    except Exception as e:  # noqa: BLE001 - every failure is reported with the rig's output
        failures.append(f"{type(e).__name__}: {e}")
    finally:
        proc.stdin.close()
        try:
            rest = proc.stdout.read()
            proc.wait(timeout=120)
        except subprocess.TimeoutExpired:
            proc.kill()
            rest = ""
            failures.append("rig did not stop")
    check("shutdown", "STOPPED" in rest and proc.returncode == 0, f"exit {proc.returncode}, {rest.strip()!r}")
    if failures:
        print("".join(errors[-60:]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
