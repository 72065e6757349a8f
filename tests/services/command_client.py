"""The client side of the TCP command protocol for the Linux-side tests: a
frame, a request on its own connection, and the reply listener on which every
answer arrives on a new connection."""
import socket


def frame(tag, port, cid, command, a=0, b=0):
    return f"VeTr 1 0000000 {tag} {port} {cid} {command} {a} {b} VTEnd".encode()


def send(port, payload):
    with socket.create_connection(("127.0.0.1", port), timeout=60) as s:
        s.sendall(payload)


class Replies:
    def __init__(self, port):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", port))
        self.sock.listen(5)

    def next(self, timeout=60):
        self.sock.settimeout(timeout)
        conn, _ = self.sock.accept()
        with conn:
            conn.settimeout(60)
            data = b""
            while True:
                chunk = conn.recv(4096)
                if not chunk:
                    return data.decode("ascii")
                data += chunk

    def none_within(self, seconds):
        """None when no answer comes within the time, else the answer."""
        try:
            return self.next(seconds)
        except socket.timeout:
            return None
