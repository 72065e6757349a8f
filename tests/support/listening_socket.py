"""A listening TCP socket for the Linux-side stand-ins, which open and close
their port as a test asks: while open, an accept loop on a thread of its own
hands every connection to on_connection(conn, peer); a close ends the loop,
and connections are refused until the next open (on the same port)."""
import socket
import threading


class ListeningSocket:
    def __init__(self, host, port, on_connection):
        self.host, self.port, self.on_connection = host, port, on_connection
        self.sock = None
        self.lock = threading.Lock()

    def is_open(self):
        with self.lock:
            return self.sock is not None

    def open(self):
        with self.lock:
            if self.sock is not None:
                return
            s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            s.bind((self.host, self.port))
            s.listen(16)
            self.port = s.getsockname()[1]  # port 0 takes a free one, kept for the next open
            self.sock = s
        threading.Thread(target=self._accept, args=(s,), daemon=True).start()

    def close(self):
        with self.lock:
            s, self.sock = self.sock, None
        if s is None:
            return
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        s.close()

    def _accept(self, s):
        while True:
            try:
                conn, peer = s.accept()
            except OSError:
                return
            self.on_connection(conn, peer)
