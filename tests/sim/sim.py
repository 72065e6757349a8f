#!/usr/bin/env python3
"""Simulated controllers on virtual COM ports for the Wine test rig.

Each port is a pty; its slave is linked as dosdevices/comN of the rig's Wine
prefix. The line adapter echoes every byte, then the selected controller
answers. Address bytes are told from data bytes by the parity the Windows
side has set, read from the pty's line flags. A text control channel on
127.0.0.1 lets the test program drive and inspect the controllers (README.md).
"""
import argparse
import datetime
import fcntl
import os
import pty
import select
import signal
import socket
import socketserver
import sys
import termios
import threading
import time
import tty

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sim_protocol import (ACK, EOT, LineParser, command_answer,  # noqa: E402
                          parse_command, reply_frame)

CMSPAR = getattr(termios, "CMSPAR", 0o10000000000)
BAUD_SECONDS_PER_CHAR = 11.0 / 9600.0
COUNTERS = ("fifo", "delivered", "frames", "naks", "polls", "acks", "replies",
            "silent", "unexpected", "SD", "ST", "DG", "RE", "WE", "WT", "RS",
            "PD", "other")
KNOB_DEFAULTS = {"silence": 0, "junk": 3, "nak": 0, "badlen": 0, "wronglen": 1,
                 "unknown": 0, "baddate": 0, "late": 200, "shortecho": 1,
                 "noecho": 0, "dropackecho": 0, "nondigit": 0}


def line_parity(fd):
    """'m' mark, 's' space, 'n' no stick parity: the setting now in force.
    The pty keeps CMSPAR and PARODD but not PARENB, so only those two count."""
    cflag = termios.tcgetattr(fd)[2]
    if cflag & CMSPAR:
        return "m" if cflag & termios.PARODD else "s"
    return "n"


class Controller:
    def __init__(self, address):
        self.address = address
        self.clock_offset = 0.0
        self.fifo = []
        self.eeprom = {}
        self.pending = None          # (code, data) of the reply to fetch
        self.counts = dict.fromkeys(COUNTERS, 0)
        self.written = 0             # registrations ever queued
        self.knobs = {}              # name -> [count, arg]

    def clock(self):
        return datetime.datetime.now() + datetime.timedelta(seconds=self.clock_offset)

    def set_clock(self, when):
        self.clock_offset = (when - datetime.datetime.now()).total_seconds()

    def knob(self, name):
        """The knob's argument when it applies now (and uses one count), else None."""
        k = self.knobs.get(name)
        if not k or k[0] == 0:
            return None
        if k[0] > 0:
            k[0] -= 1
            if k[0] == 0:
                del self.knobs[name]
        return k[1]

    def state(self):
        c = dict(self.counts)
        c["fifo"] = len(self.fifo)
        return c

    # What the controller keeps as the reply to a command.
    def reply_for(self, code, data):
        if code == "SD":
            return ("SD", self.fifo[0] if self.fifo else "*")
        if code == "ST":
            t = self.clock()
            return ("ST", "01100%02d%02d%02d%02d%02d%02d0%04d" % (
                t.day, t.month, t.year % 4, t.hour, t.minute, t.second,
                len(self.fifo) % 10000))
        if code == "DG":
            return ("DG", "%04d%04d%04d" % (len(self.fifo) % 10000,
                                            self.counts["delivered"] % 10000,
                                            self.written % 10000))
        if code == "RE":
            loc = data[:4].upper()
            return ("RE", loc + self.eeprom.get(loc, "0000"))
        return None

    def deliver(self, code, data):
        """Effects of a delivered command that has no reply of its own."""
        if code == "WE" and len(data) == 8:
            self.eeprom[data[:4].upper()] = data[4:].upper()
        elif code == "WT":
            when = parse_set_time(data)
            if when is None:
                return False
            self.set_clock(when)
        elif code == "RS":
            self.fifo.clear()
        return True


def parse_set_time(data):
    """'dd.mm.yyWhh:mm:ss' with yy the year modulo 4."""
    try:
        if len(data) != 17 or data[2] != "." or data[5] != "." or data[11] != ":" or data[14] != ":":
            return None
        year = datetime.date.today().year // 4 * 4 + int(data[6:8])
        return datetime.datetime(year, int(data[3:5]), int(data[0:2]),
                                 int(data[9:11]), int(data[12:14]), int(data[15:17]))
    except ValueError:
        return None


class Port:
    def __init__(self, sim, com, pace):
        self.sim, self.com, self.pace = sim, com, pace
        self.controllers = {}
        self.transcript = []
        self.events = []
        self.in_flight = 0           # answers taken but not yet written
        self.open_pty()

    def open_pty(self):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        self.slave_name = os.ttyname(self.slave)
        self.selected = None
        self.parser = LineParser()
        self.plugged = True
        self.thread = threading.Thread(target=self.run, daemon=True)

    def unplug(self, link):
        """As an unplugged adapter: the pty goes away with its link."""
        self.plugged = False
        self.thread.join()
        if os.path.islink(link) and os.readlink(link) == self.slave_name:
            os.unlink(link)
        os.close(self.master)
        os.close(self.slave)

    def plug(self, link):
        """Offered again: a fresh pty behind the same COM number."""
        self.open_pty()
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(self.slave_name, link)
        self.thread.start()

    def write(self, data):
        if not data:
            return
        if self.pace:
            time.sleep(len(data) * BAUD_SECONDS_PER_CHAR)
        os.write(self.master, data)

    def run(self):
        while self.plugged:
            try:
                if not select.select([self.master], [], [], 0.1)[0]:
                    continue
                chunk = os.read(self.master, 4096)
            except OSError:
                return
            parity = line_parity(self.master)
            with self.sim.lock:
                answers = self.take(chunk, parity)
                self.in_flight = len(answers)
                self.sim.changed.notify_all()
            for delay, data in answers:
                if delay:
                    time.sleep(delay / 1000.0)
                self.write(data)
            if answers:
                with self.sim.lock:
                    self.in_flight = 0
                    self.sim.changed.notify_all()

    def take(self, chunk, parity):
        """Records and echoes a chunk; returns the answers (delay ms, bytes)."""
        self.transcript.extend(parity + "%02X" % b for b in chunk)
        if parity == "m":
            target = self.controllers.get(chunk[-1])
        else:
            target = self.selected
        out = []
        echo = chunk
        if target is not None and parity != "m":
            if target.knob("noecho") is not None:
                echo = b""
            else:
                n = target.knob("shortecho")
                if n is not None:
                    echo = chunk[:max(0, len(chunk) - int(n))]
        garbled = len(echo) < len(chunk)
        if parity == "m":
            if not garbled:
                self.selected = target
                self.parser.reset()
            out.append((0, echo))
            return out
        units = [] if garbled or target is None else self.parser.feed(chunk)
        if any(u[0] == "ack" for u in units) and target.knob("dropackecho") is not None:
            echo = b""
        out.append((0, echo))
        for unit in units:
            answer = self.unit(target, unit)
            if answer:
                out.append(answer)
        return out

    def event(self, text):
        self.events.append(text)

    def unit(self, c, unit):
        a = c.address
        kind = unit[0]
        if kind == "junk":
            self.event("junk %d %s" % (a, unit[1].hex().upper()))
            return None
        if kind == "ack":
            c.counts["acks"] += 1
            self.event("ack %d" % a)
            if c.pending and c.pending[0] == "SD" and c.pending[1] != "*":
                if c.fifo and c.fifo[0] == c.pending[1]:
                    c.fifo.pop(0)
                    c.counts["delivered"] += 1
            c.pending = None
            return None
        if kind == "poll":
            c.counts["polls"] += 1
            self.event("poll %d" % a)
            if c.pending is None:
                c.counts["unexpected"] += 1
                return None
            return self.answer(c, self.reply(c))
        frame = parse_command(unit[1])
        c.counts["frames"] += 1
        if frame.fault:
            c.counts["naks"] += 1
            self.event("bad %d %s" % (a, frame.fault))
            return self.answer(c, command_answer(True))
        self.event(("cmd %d %s %s" % (a, frame.code, frame.data)).rstrip())
        code = frame.code
        c.counts[code if code in c.counts and code.isupper() and len(code) == 2 else "other"] += 1
        if c.knob("nak") is not None:
            c.counts["naks"] += 1
            return self.answer(c, command_answer(True))
        if not c.deliver(code, frame.data):
            self.event("bad %d data" % a)
        c.pending = c.reply_for(code, frame.data)
        return self.answer(c, command_answer(False))

    def reply(self, c):
        code, data = c.pending
        if c.knob("baddate") is not None:
            if code == "SD" and len(data) >= 14:
                data = data[:2] + "3102" + data[6:]
            elif code == "ST" and len(data) >= 22:
                data = data[:5] + "3102" + data[9:]
        if c.knob("nondigit") is not None:
            if code == "SD" and len(data) >= 14:
                data = data[:2] + "3X" + data[4:]
            elif code == "ST" and len(data) >= 22:
                data = data[:5] + "3X" + data[7:]
        d = c.knob("wronglen")
        if d is not None:
            d = int(d)
            data = data + "0" * d if d > 0 else data[:len(data) + d]
        if c.knob("unknown") is not None:
            code = "XX"
        payload = (code + "0" + data).encode("latin-1")
        length = b"ZZ" if c.knob("badlen") is not None else None
        c.counts["replies"] += 1
        return reply_frame(c.address, payload, length)

    def answer(self, c, data):
        if c.knob("silence") is not None:
            c.counts["silent"] += 1
            return None
        n = c.knob("junk")
        if n is not None:
            data = b"J" * int(n) + data
        delay = c.knob("late")
        return (float(delay) if delay is not None else 0, data)


class Simulator:
    def __init__(self, links_dir, owners_dir, count, pace):
        self.lock = threading.RLock()
        self.plugging = threading.Lock()
        self.changed = threading.Condition(self.lock)
        self.links_dir, self.owners_dir = links_dir, owners_dir
        self.ports = {}
        self.order = []
        os.makedirs(owners_dir, exist_ok=True)
        with open(os.path.join(owners_dir, ".lock"), "w") as lockf:
            fcntl.flock(lockf, fcntl.LOCK_EX)
            for com in self.free_numbers(count):
                port = Port(self, com, pace)
                self.ports[com] = port
                self.order.append(com)
                link = os.path.join(links_dir, "com%d" % com)
                if os.path.lexists(link):
                    os.unlink(link)
                os.symlink(port.slave_name, link)
                with open(os.path.join(owners_dir, "com%d.pid" % com), "w") as f:
                    f.write("%d\n" % os.getpid())

    def free_numbers(self, count):
        found = []
        for com in range(5, 256):
            if len(found) == count:
                break
            owner = os.path.join(self.owners_dir, "com%d.pid" % com)
            link = os.path.join(self.links_dir, "com%d" % com)
            if os.path.exists(owner):
                try:
                    with open(owner) as f:
                        pid = int(f.read().strip() or 0)
                    os.kill(pid, 0)
                    continue             # a live simulator holds it
                except (ValueError, ProcessLookupError):
                    pass                 # stale: its owner is gone
                except PermissionError:
                    continue
            elif os.path.lexists(link):
                continue                 # not ours (a real port of the prefix)
            found.append(com)
        if len(found) < count:
            raise SystemExit("sim: no free COM numbers")
        return found

    def start(self):
        for com in self.order:
            self.ports[com].thread.start()

    def remove_links(self):
        for com in self.order:
            link = os.path.join(self.links_dir, "com%d" % com)
            try:
                if os.path.islink(link) and os.readlink(link) == self.ports[com].slave_name:
                    os.unlink(link)
            except OSError:
                pass
            try:
                os.unlink(os.path.join(self.owners_dir, "com%d.pid" % com))
            except OSError:
                pass

    # Control requests.
    def port(self, com):
        p = self.ports.get(int(com))
        if p is None:
            raise ValueError("no port COM%s" % com)
        return p

    def controller(self, com, addr):
        c = self.port(com).controllers.get(int(addr))
        if c is None:
            raise ValueError("no controller %s on COM%s" % (addr, com))
        return c

    def request(self, line):
        words = line.split()
        if not words:
            raise ValueError("empty request")
        cmd, args = words[0].upper(), words[1:]
        if cmd in ("UNPLUG", "PLUG"):
            # Not under the lock: the port's reader takes it for every chunk,
            # and unplugging waits for the reader to end.
            with self.plugging:
                p = self.port(args[0])
                if p.plugged == (cmd == "PLUG"):
                    raise ValueError("COM%s is %s already" % (args[0], "plugged" if p.plugged else "unplugged"))
                link = os.path.join(self.links_dir, "com%d" % p.com)
                if cmd == "UNPLUG":
                    p.unplug(link)
                else:
                    p.plug(link)
            return ""
        with self.lock:
            if cmd == "PING":
                return ""
            if cmd == "ADD":
                p, a = self.port(args[0]), int(args[1])
                if not 1 <= a <= 255:
                    raise ValueError("address must be 1 to 255")
                p.controllers.setdefault(a, Controller(a))
                return ""
            if cmd == "DEL":
                self.controller(args[0], args[1])
                p = self.port(args[0])
                if p.selected is p.controllers[int(args[1])]:
                    p.selected = None
                del p.controllers[int(args[1])]
                return ""
            if cmd == "REG":
                c = self.controller(args[0], args[1])
                c.fifo.append(args[2])
                c.written += 1
                self.changed.notify_all()
                return ""
            if cmd == "FIFO":
                return " ".join(self.controller(args[0], args[1]).fifo)
            if cmd == "EEPROM":
                c = self.controller(args[0], args[1])
                loc = "%04X" % int(args[2], 16)
                if len(args) > 3:
                    c.eeprom[loc] = "%04X" % int(args[3], 16)
                return c.eeprom.get(loc, "0000")
            if cmd == "CLOCK":
                c = self.controller(args[0], args[1])
                if len(args) > 2:
                    c.set_clock(datetime.datetime.strptime(" ".join(args[2:4]), "%d.%m.%Y %H:%M:%S"))
                return c.clock().strftime("%d.%m.%Y %H:%M:%S")
            if cmd == "STATE":
                s = self.controller(args[0], args[1]).state()
                return " ".join("%s=%d" % (k, s[k]) for k in COUNTERS)
            if cmd == "WAIT":
                c = self.controller(args[0], args[1])
                key, value = args[2], int(args[3])
                if key not in COUNTERS:
                    raise ValueError("no counter %s" % key)
                timeout = int(args[4]) / 1000.0 if len(args) > 4 else 30.0
                ok = self.changed.wait_for(lambda: c.state()[key] >= value, timeout)
                if not ok:
                    raise ValueError("timeout %s=%d" % (key, c.state()[key]))
                return ""
            if cmd == "KNOB":
                c = self.controller(args[0], args[1])
                name, count = args[2], int(args[3])
                if name not in KNOB_DEFAULTS:
                    raise ValueError("no knob %s" % name)
                if count == 0:
                    c.knobs.pop(name, None)
                else:
                    c.knobs[name] = [count, args[4] if len(args) > 4 else KNOB_DEFAULTS[name]]
                return ""
            if cmd == "KNOBS":
                c = self.controller(args[0], args[1])
                return " ".join("%s=%d:%s" % (k, v[0], v[1]) for k, v in sorted(c.knobs.items()))
            if cmd == "TRANSCRIPT":
                return " ".join(self.port(args[0]).transcript)
            if cmd == "EVENTS":
                return ";".join(self.port(args[0]).events)
            if cmd == "SETTLE":
                # Until every answer taken on the port (late ones too) is written.
                p = self.port(args[0])
                timeout = int(args[1]) / 1000.0 if len(args) > 1 else 30.0
                if not self.changed.wait_for(lambda: p.in_flight == 0, timeout):
                    raise ValueError("COM%s still answering" % args[0])
                return ""
            if cmd == "CLEAR":
                p = self.port(args[0])
                p.transcript.clear()
                p.events.clear()
                return ""
        raise ValueError("unknown request %s" % cmd)


class ControlHandler(socketserver.StreamRequestHandler):
    def handle(self):
        for raw in self.rfile:
            line = raw.decode("latin-1").strip()
            try:
                result = self.server.sim.request(line)
                answer = "OK" + (" " + result if result else "")
            except (ValueError, IndexError) as e:
                answer = "ERR " + (str(e) or "bad request")
            self.wfile.write((answer + "\n").encode("latin-1"))
            self.wfile.flush()


class ControlServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--ports", type=int, default=1)
    ap.add_argument("--links", required=True, help="the prefix's dosdevices folder")
    ap.add_argument("--owners", required=True, help="folder of the allocation lock and owner files")
    ap.add_argument("--info", required=True, help="file to write 'PORTS=..' and 'CONTROL=..' to")
    ap.add_argument("--device", action="append", default=[], help="IDX:ADDR")
    ap.add_argument("--reg", action="append", default=[], help="IDX:ADDR:DATA")
    ap.add_argument("--pace", action="store_true", help="9600-baud pacing")
    a = ap.parse_args(argv)

    sim = Simulator(a.links, a.owners, a.ports, a.pace)
    stop = threading.Event()

    def on_signal(*_):
        stop.set()
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    try:
        for spec in a.device:
            idx, addr = spec.split(":")
            sim.request("ADD %d %s" % (sim.order[int(idx)], addr))
        for spec in a.reg:
            idx, addr, data = spec.split(":", 2)
            sim.request("REG %d %s %s" % (sim.order[int(idx)], addr, data))
        server = ControlServer(("127.0.0.1", 0), ControlHandler)
        server.sim = sim
        threading.Thread(target=server.serve_forever, daemon=True).start()
        sim.start()
        tmp = a.info + ".tmp"
        with open(tmp, "w") as f:
            f.write("PORTS=%s\nCONTROL=127.0.0.1:%d\n" % (
                ",".join(str(c) for c in sim.order), server.server_address[1]))
        os.replace(tmp, a.info)
        while not stop.wait(0.5):
            pass
        server.shutdown()
    finally:
        sim.remove_links()
    return 0


if __name__ == "__main__":
    sys.exit(main())
