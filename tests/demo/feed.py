#!/usr/bin/env python3
"""Feeds the simulated controllers of the demo with registrations.

Every few seconds one controller (in turn) gets a card registration stamped
with the current local time, through the simulator's control channel.
"""
import argparse
import datetime
import itertools
import signal
import socket
import sys
import threading

# Card events the controllers report, and the cards of the demo site.
EVENTS = (0x00, 0x01, 0x10, 0x11)
CARDS = ("000123456789", "000987654321", "004455667788", "001020304050")


def registration(event, card, when):
    # The controller keeps only the year modulo 4.
    return "%02X%02d%02d%02d%02d%02d%02d%s" % (
        event, when.day, when.month, when.year % 4, when.hour, when.minute, when.second, card)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--control", required=True, help="host:port of the simulator")
    ap.add_argument("--device", action="append", required=True, help="COM:ADDR")
    ap.add_argument("--every", type=float, default=2.0, help="seconds between registrations")
    a = ap.parse_args(argv)

    host, port = a.control.rsplit(":", 1)
    conn = socket.create_connection((host, int(port)))
    lines = conn.makefile("r")
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())

    devices = itertools.cycle(d.split(":") for d in a.device)
    events = itertools.cycle(EVENTS)
    cards = itertools.cycle(CARDS)
    while not stop.wait(a.every):
        com, addr = next(devices)
        data = registration(next(events), next(cards), datetime.datetime.now())
        conn.sendall(("REG %s %s %s\n" % (com, addr, data)).encode())
        answer = lines.readline().strip()
        if not answer.startswith("OK"):
            print("feed: the simulator refused %s: %s" % (data, answer), file=sys.stderr)
    conn.close()


if __name__ == "__main__":
    main()
