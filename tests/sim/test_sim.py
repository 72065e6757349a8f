"""Self-tests of the controller simulator on Linux: frame and CRC tables, and
whole transactions over a pty with this side playing the server."""
import os
import select
import shutil
import tempfile
import termios
import time
import unittest

import sim
import sim_protocol
from sim_protocol import (ACK, EOT, NAK, SOH, LineParser, build_command, crc16,
                          parse_command, parse_reply, reply_frame)


class CrcAndFrames(unittest.TestCase):
    def test_crc(self):
        cases = [(b"", 0), (b"123456789", 0x31C3), (b"ST0", 0xF3B6),
                 (b"RE001F4", 0xA04A), (b"SD0", 0xF0C5)]
        for data, crc in cases:
            with self.subTest(data=data):
                self.assertEqual(crc16(data), crc)
        self.assertEqual(sim_protocol.CRC_TABLE[:4], [0, 0x1021, 0x2042, 0x3063])
        self.assertEqual(sim_protocol.CRC_TABLE[255], 0x1EF0)

    def test_worked_frames(self):
        cases = [("ST", "", b"\x05\x0103\x02ST0\x03F3B6\x04"),
                 ("RE", "01F4", b"\x05\x0107\x02RE001F4\x03A04A\x04"),
                 ("SD", "", b"\x05\x0103\x02SD0\x03F0C5\x04")]
        for code, data, frame in cases:
            with self.subTest(code=code):
                self.assertEqual(build_command(code, data), frame)
                f = parse_command(frame)
                self.assertEqual((f.code, f.data, f.fault), (code, data, None))

    def test_bad_frames(self):
        good = bytearray(build_command("RE", "01F4"))
        def patched(pos, value):
            b = bytearray(good)
            b[pos:pos + len(value)] = value
            return bytes(b)
        cases = [(patched(2, b"08"), "len"), (patched(2, b"G7"), "len"),
                 (patched(2, b"7"), "len"),
                 (patched(len(good) - 5, b"A04B"), "crc"),
                 (patched(len(good) - 5, b"a04a"), None),     # hex digits either case
                 (patched(len(good) - 5, b"XYZW"), "crc"),
                 (patched(6, b"F"), "crc"),                    # a data byte changed
                 (patched(1, b"\x00"), "shape")]
        for frame, fault in cases:
            with self.subTest(frame=frame):
                self.assertEqual(parse_command(frame).fault, fault)

    def test_line_parser(self):
        frame = build_command("ST")
        cases = [([b"\x04"], [("poll",)]),
                 ([b"\x06", b"\x04"], [("ack",)]),
                 ([frame[:3], frame[3:]], [("frame", frame)]),
                 ([b"AB" + frame], [("junk", b"A"), ("junk", b"B"), ("frame", frame)]),
                 ([b"\x06\x05"], [("junk", b"\x06\x05")]),
                 ([frame + b"\x04"], [("frame", frame), ("poll",)])]
        for chunks, units in cases:
            with self.subTest(chunks=chunks):
                p = LineParser()
                got = []
                for c in chunks:
                    got += p.feed(c)
                self.assertEqual(got, units)

    def test_reply_frames(self):
        f = reply_frame(7, b"SD0*")
        self.assertEqual(f, b"\x0104" + b"07" + b"\x02SD0*\x03" + b"%04X" % crc16(b"SD0*") + b"\x04")
        self.assertEqual(parse_reply(f), b"SD0*")
        self.assertIsNone(parse_reply(reply_frame(7, b"SD0*", b"ZZ")))
        self.assertEqual(parse_reply(reply_frame(7, b"", None)), b"")

    def test_set_time_text(self):
        year = time.localtime().tm_year // 4 * 4
        cases = [("24.08.03214:05:09", (year + 3, 8, 24, 14, 5, 9)),
                 ("31.02.00000:00:00", None), ("24.08.0321405:09", None), ("", None)]
        for text, want in cases:
            with self.subTest(text=text):
                got = sim.parse_set_time(text)
                self.assertEqual(got and (got.year, got.month, got.day, got.hour, got.minute, got.second), want)


MARK, SPACE = "mark", "space"


class Server:
    """This side of the line, as the server drives it (with a read-back echo)."""

    def __init__(self, path):
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        attrs = termios.tcgetattr(self.fd)
        attrs[0] = attrs[1] = attrs[3] = 0
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)

    def close(self):
        os.close(self.fd)

    def parity(self, which):
        attrs = termios.tcgetattr(self.fd)
        attrs[2] |= termios.PARENB | sim.CMSPAR
        if which == MARK:
            attrs[2] |= termios.PARODD
        else:
            attrs[2] &= ~termios.PARODD
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)

    def read(self, count, timeout=3.0):
        got = b""
        end = time.monotonic() + timeout
        while len(got) < count:
            left = end - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                break
            got += os.read(self.fd, count - len(got))
        return got

    def write_echoed(self, data, timeout=3.0):
        os.write(self.fd, data)
        return self.read(len(data), timeout)

    def select(self, addr):
        self.parity(MARK)
        echo = self.write_echoed(bytes([addr, addr]))
        self.parity(SPACE)
        return echo

    def command(self, addr, code, data="", frame=None):
        """Returns the echo and the answer bytes."""
        self.select(addr)
        frame = frame or build_command(code, data)
        echo = self.write_echoed(frame)
        first = self.read(4, 1.0)
        rest = b""
        if len(first) == 4:
            rest = self.read(3 if first[3] == NAK else 1, 0.3)
        return echo, first + rest

    def poll(self, addr, timeout=1.0):
        """The reply frame's payload (None: no answer or unreadable)."""
        self.select(addr)
        self.write_echoed(bytes([EOT]))
        head = self.read(6, timeout)
        if len(head) < 6 or head[0] != SOH:
            return None
        m = sim_protocol.parse_hex(head[1:3])
        if m is None:
            return None
        payload = self.read(m)
        self.read(6)
        return payload

    def ack(self, addr):
        self.select(addr)
        return self.write_echoed(bytes([ACK, EOT]), timeout=0.5)


class WithSimulator(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="halvex-simtest.")
        self.links = os.path.join(self.dir, "dosdevices")
        self.owners = os.path.join(self.dir, "owners")
        os.makedirs(self.links)
        os.symlink("/dev/ttyS0", os.path.join(self.links, "com5"))   # a port of the prefix
        self.sim = sim.Simulator(self.links, self.owners, 2, False)
        self.sim.start()
        self.com = self.sim.order[0]
        self.req("ADD %d 1" % self.com)
        self.req("ADD %d 2" % self.com)
        self.server = Server(os.path.join(self.links, "com%d" % self.com))

    def tearDown(self):
        self.server.close()
        self.sim.remove_links()
        shutil.rmtree(self.dir)

    def req(self, line):
        return self.sim.request(line)

    def state(self, addr):
        return dict(kv.split("=") for kv in self.req("STATE %d %d" % (self.com, addr)).split())

    def test_allocation(self):
        self.assertEqual(self.sim.order, [6, 7])        # com5 belongs to the prefix
        other = sim.Simulator(self.links, self.owners, 1, False)
        self.assertEqual(other.order, [8])
        other.remove_links()
        self.assertFalse(os.path.lexists(os.path.join(self.links, "com8")))
        with open(os.path.join(self.owners, "com8.pid"), "w") as f:
            f.write("999999999\n")                        # a dead owner
        stale = sim.Simulator(self.links, self.owners, 1, False)
        self.assertEqual(stale.order, [8])
        stale.remove_links()
        self.assertTrue(os.path.islink(os.path.join(self.links, "com5")))

    def test_transactions(self):
        s, c = self.server, self.com
        reg14, reg26 = "0A2408031405", "0A240803140509123456789012"
        reg14 += "09"
        self.req("REG %d 1 %s" % (c, reg14))
        self.req("REG %d 1 %s" % (c, reg26))
        self.req("EEPROM %d 2 01F4 BEEF" % c)
        ok = bytes([SOH]) + b"00" + bytes([ACK, EOT])
        cases = [  # (addr, code, data, expected reply payload or None)
            (1, "SD", "", ("SD0" + reg14).encode()),
            (1, "SD", "", ("SD0" + reg26).encode()),
            (1, "SD", "", b"SD0*"),
            (2, "RE", "01F4", b"RE001F4BEEF"),
            (2, "WE", "01F40001", None),
            (2, "RE", "01F4", b"RE001F40001"),
            (2, "DG", "", b"DG0000000000000"),
            (1, "WT", "24.08.03214:05:09", None),
            (1, "RS", "", None),
            (1, "PD", "", None),
        ]
        for addr, code, data, reply in cases:
            with self.subTest(code=code, data=data):
                frame = build_command(code, data)
                echo, answer = s.command(addr, code, data)
                self.assertEqual(echo, frame)
                self.assertEqual(answer, ok)
                if reply is not None:
                    self.assertEqual(s.poll(addr), reply)
                    self.assertEqual(s.ack(addr), bytes([ACK, EOT]))
        st = self.state(1)
        self.assertEqual((st["SD"], st["delivered"], st["fifo"], st["WT"], st["RS"]), ("3", "2", "0", "1", "1"))
        self.assertEqual(self.req("CLOCK %d 1" % c)[:10],
                         "24.08.%04d" % (time.localtime().tm_year // 4 * 4 + 3))
        s.command(1, "ST")
        status = s.poll(1)
        self.assertEqual(len(status), 25)
        self.assertEqual(status[:3] + status[8:12], b"ST02408")
        tokens = self.req("TRANSCRIPT %d" % c).split()
        self.assertEqual(tokens[:3], ["m01", "m01", "s05"])
        self.assertEqual(set(t[0] for t in tokens), {"m", "s"})
        self.assertEqual(tokens.count("m01") + tokens.count("m02"), len([t for t in tokens if t[0] == "m"]))

    def test_registration_leaves_only_on_ack(self):
        s, c = self.server, self.com
        self.req("REG %d 1 80240803140509" % c)
        s.command(1, "SD")
        self.assertEqual(s.poll(1), b"SD080240803140509")
        self.assertEqual(s.poll(1), b"SD080240803140509")     # not acknowledged: again
        self.req("KNOB %d 1 dropackecho 1" % c)
        self.assertEqual(s.ack(1), b"")                        # taken, echo lost
        self.assertEqual(s.ack(1), bytes([ACK, EOT]))          # the retry removes nothing more
        st = self.state(1)
        self.assertEqual((st["fifo"], st["delivered"], st["acks"]), ("0", "1", "2"))

    def test_faults(self):
        s, c = self.server, self.com
        good = build_command("ST")
        bad_crc = good[:-5] + b"0000" + good[-1:]
        bad_len = good[:2] + b"0Q" + good[4:]
        nak = bytes([SOH]) + b"00" + bytes([NAK]) + b"01" + bytes([EOT])
        ok = bytes([SOH]) + b"00" + bytes([ACK, EOT])
        cases = [  # (knob, frame, expected echo, expected answer)
            (None, bad_crc, bad_crc, nak),
            (None, bad_len, bad_len, nak),
            ("nak 1", good, good, nak),
            ("silence 1", good, good, b""),
            ("junk 1 4", good, good, b"JJJJ"),
            ("shortecho 1 2", good, good[:-2], b""),
            ("noecho 1", good, b"", b""),
        ]
        for knob, frame, echo, answer in cases:
            with self.subTest(knob=knob, frame=frame):
                if knob:
                    self.req("KNOB %d 2 %s" % (c, knob))
                got_echo, got = s.command(2, "ST", frame=frame)
                self.assertEqual(got_echo, echo)
                self.assertEqual(got[:len(answer)] if answer else got, answer)
                s.read(100, 0.2)
                self.assertEqual(self.req("KNOBS %d 2" % c), "")
        events = self.req("EVENTS %d" % c).split(";")
        self.assertEqual(events[:2], ["bad 2 crc", "bad 2 len"])

    def test_reply_faults(self):
        s, c = self.server, self.com
        self.req("REG %d 1 0A240803140509" % c)
        cases = [("unknown 1", b"XX00A240803140509"),
                 ("wronglen 1 -3", b"SD00A240803140"),
                 ("wronglen 1 2", b"SD00A24080314050900"),
                 ("baddate 1", b"SD00A310203140509"),
                 ("nondigit 1", b"SD00A3X0803140509"),
                 ("badlen 1", None),
                 ("silence 1", None),
                 (None, b"SD00A240803140509")]
        s.command(1, "SD")
        for knob, payload in cases:
            with self.subTest(knob=knob):
                if knob:
                    self.req("KNOB %d 1 %s" % (c, knob))
                self.assertEqual(s.poll(1, timeout=0.5), payload)
                s.read(100, 0.2)
        self.assertEqual(self.state(1)["fifo"], "1")

    def test_unplug_and_plug(self):
        c, link = self.com, os.path.join(self.links, "com%d" % self.com)
        self.req("UNPLUG %d" % c)
        self.assertFalse(os.path.lexists(link))
        with self.assertRaises(OSError):
            self.server.write_echoed(b"x", timeout=0.3)   # the line is gone
        with self.assertRaises(ValueError):
            self.req("UNPLUG %d" % c)
        self.req("PLUG %d" % c)
        self.server.close()
        self.server = Server(link)
        self.req("REG %d 1 0A240803140509" % c)
        self.server.command(1, "SD")
        self.assertEqual(self.server.poll(1), b"SD00A240803140509")   # its controllers kept

    def test_late_and_wait(self):
        s, c = self.server, self.com
        self.req("KNOB %d 1 late 1 300" % c)
        start = time.monotonic()
        s.command(1, "SD")
        # The answer was held back: it is not there before the delay.
        self.assertGreaterEqual(time.monotonic() - start, 0.25)
        self.assertEqual(self.req("WAIT %d 1 SD 1 5000" % c), "")
        with self.assertRaises(ValueError):
            self.req("WAIT %d 1 SD 2 100" % c)

    def test_bad_requests(self):
        cases = ["", "NOPE", "ADD 99 1", "ADD %d 0" % self.com, "STATE %d 9" % self.com,
                 "KNOB %d 1 nosuch 1" % self.com, "REG %d 1" % self.com]
        for line in cases:
            with self.subTest(line=line):
                with self.assertRaises((ValueError, IndexError)):
                    self.req(line)


if __name__ == "__main__":
    unittest.main()
