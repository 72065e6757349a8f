"""Bytes of the controller bus as a controller sees them: CRC-16, command
frames coming in, answers and reply frames going out."""

ENQ, SOH, STX, ETX, EOT, ACK, NAK = 0x05, 0x01, 0x02, 0x03, 0x04, 0x06, 0x15


def _make_table():
    table = []
    for i in range(256):
        crc = i << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else (crc << 1)
        table.append(crc & 0xFFFF)
    return table


CRC_TABLE = _make_table()


def crc16(data):
    """CRC-16 with polynomial 0x1021, MSB first, initial 0, no final XOR."""
    crc = 0
    for b in data:
        crc = ((crc << 8) & 0xFFFF) ^ CRC_TABLE[((crc >> 8) ^ b) & 0xFF]
    return crc


HEX = b"0123456789ABCDEFabcdef"


def parse_hex(field):
    """Value of a field of hexadecimal digits, or None when it is not one."""
    if not field or any(c not in HEX for c in field):
        return None
    return int(field, 16)


def build_command(code, data=""):
    """The command frame as the server sends it (used by the self-tests)."""
    body = (code[:2] + "0" + data).encode("latin-1")
    return (bytes([ENQ, SOH]) + b"%02X" % len(body) + bytes([STX]) + body +
            bytes([ETX]) + b"%04X" % crc16(body) + bytes([EOT]))


class Frame:
    """A command frame taken apart; `fault` is None, 'len' or 'crc'."""

    def __init__(self, code, data, fault):
        self.code, self.data, self.fault = code, data, fault

    def __repr__(self):
        return "Frame(%r, %r, %r)" % (self.code, self.data, self.fault)


def parse_command(frame):
    """Checks a complete frame ENQ SOH LL STX body ETX CRC4 EOT (bytes)."""
    if (len(frame) < 11 or frame[0] != ENQ or frame[1] != SOH or frame[4] != STX
            or frame[-6] != ETX or frame[-1] != EOT):
        return Frame("", "", "shape")
    body = frame[5:-6]
    code = body[:2].decode("latin-1")
    data = body[3:].decode("latin-1")
    if parse_hex(frame[2:4]) != len(body):
        return Frame(code, data, "len")
    if parse_hex(frame[-5:-1]) != crc16(body):
        return Frame(code, data, "crc")
    return Frame(code, data, None)


MAX_FRAME = 300


class LineParser:
    """Splits the space-parity bytes sent to the selected controller into
    units: ('poll',), ('ack',), ('frame', bytes), ('junk', bytes)."""

    def __init__(self):
        self.buf = bytearray()

    def reset(self):
        self.buf.clear()

    def feed(self, data):
        units = []
        for b in data:
            self.buf.append(b)
            unit = self._take()
            if unit:
                units.append(unit)
        return units

    def _take(self):
        buf = self.buf
        first = buf[0]
        if first == EOT and len(buf) == 1:
            buf.clear()
            return ("poll",)
        if first == ACK:
            if len(buf) < 2:
                return None
            unit = ("ack",) if buf[1] == EOT else ("junk", bytes(buf))
            buf.clear()
            return unit
        if first == ENQ:
            if buf[-1] == EOT and len(buf) >= 7 and buf[-6] == ETX:
                unit = ("frame", bytes(buf))
                buf.clear()
                return unit
            if len(buf) > MAX_FRAME:
                unit = ("junk", bytes(buf))
                buf.clear()
                return unit
            return None
        unit = ("junk", bytes(buf))
        buf.clear()
        return unit


def command_answer(nak):
    """What a controller sends back for a command frame."""
    if nak:
        return bytes([SOH]) + b"00" + bytes([NAK]) + b"01" + bytes([EOT])
    return bytes([SOH]) + b"00" + bytes([ACK, EOT])


def reply_frame(address, payload, length_field=None):
    """SOH LL AA STX payload ETX CRC4 EOT; LL = payload length in hex."""
    if length_field is None:
        length_field = b"%02X" % len(payload)
    return (bytes([SOH]) + length_field + b"%02X" % (address & 0xFF) + bytes([STX]) +
            payload + bytes([ETX]) + b"%04X" % crc16(payload) + bytes([EOT]))


def parse_reply(frame):
    """What the server reads of a reply frame: the payload, or None when the
    length field is not hexadecimal (used by the self-tests)."""
    if not frame or frame[0] != SOH:
        return None
    m = parse_hex(frame[1:3])
    if m is None:
        return None
    return frame[6:6 + m]
