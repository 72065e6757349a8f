#!/usr/bin/env python3
"""A stand-in for the communication server's TCP command port, for the
configuration tool's tests: it records every command frame the tool sends
to port 65000 and answers as the server would, on a new connection to the
sender's address and reply port (65002 for the tag "Ob21").

A control channel on 127.0.0.1 (port written to --info as CONTROL=) takes one
request line at a time and answers one line, "OK ..." or "ERR ...":

  FRAMES            OK followed by the frames received, separated by "|"
  CLEAR             forget the frames
  WORD loc value    the word answered for "RE loc"
  MODE answer|err|silent   answer as the server, "ERR" for everything, or nothing
  STATUS text       the fields after "ST " of a status answer
  HOLD on|off       keep answers queued instead of sending them
  RELEASE n         send the next n queued answers; OK with how many are left
  LISTEN on|off     open or close the command port
"""
import argparse, os, socket, sys, threading
sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from listening_socket import ListeningSocket  # noqa: E402

class Fake:
    def __init__(self, port, reply_port):
        self.port, self.reply_port = port, reply_port
        self.lock = threading.Lock()
        self.frames, self.words, self.queue = [], {}, []
        self.mode, self.hold = 'answer', False
        self.status = '01.02.2024 10:11:12 HEAD FW1.2'
        self.listener = ListeningSocket('0.0.0.0', port, self.serve)
        self.listen(True)

    def listen(self, on):
        if on:
            self.listener.open()
        else:
            self.listener.close()

    def serve(self, conn, peer):
        # One client at a time, on the accept loop's thread: the frame is
        # everything up to the client's close.
        data = b''
        conn.settimeout(10)
        try:
            while True:
                chunk = conn.recv(4096)
                if not chunk:
                    break
                data += chunk
        except OSError:
            pass
        conn.close()
        self.take(data.decode('latin-1'), peer[0])

    def take(self, frame, host):
        with self.lock:
            self.frames.append(frame)
            answer = self.answer_for(frame)
            if answer is None:
                return
            if self.hold:
                self.queue.append((host, answer))
                return
        self.send(host, answer)

    def answer_for(self, frame):
        f = frame.split(' ')
        if len(f) < 10 or f[0] != 'VeTr' or f[-1] != 'VTEnd' or self.mode == 'silent':
            return None
        controller, command, arg1, arg2 = f[5], f[6], f[7], f[8]
        if command == 'SETTIME':
            return None
        if self.mode == 'err':
            return 'ERR %s %s ' % (f[4], controller)
        if command == 'ST':
            return 'ST ' + self.status
        if command == 'RE':
            return 'RE %s %s %d' % (controller, arg1, self.words.get(int(arg1), 0))
        if command == 'WE':
            return 'WE %s %s %s' % (controller, arg1, arg2)
        return None

    def send(self, host, line):
        try:
            c = socket.create_connection((host, self.reply_port), timeout=10)
            c.sendall(line.encode('latin-1'))
            c.close()
        except OSError:
            pass

    def request(self, line):
        words = line.split(' ')
        cmd = words[0]
        with self.lock:
            if cmd == 'FRAMES':
                return 'OK ' + '|'.join(self.frames)
            if cmd == 'CLEAR':
                self.frames = []
                return 'OK'
            if cmd == 'WORD':
                self.words[int(words[1])] = int(words[2])
                return 'OK'
            if cmd == 'MODE':
                self.mode = words[1]
                return 'OK'
            if cmd == 'STATUS':
                self.status = line[len('STATUS '):]
                return 'OK'
            if cmd == 'HOLD':
                self.hold = words[1] == 'on'
                return 'OK'
            if cmd == 'LISTEN':
                self.listen(words[1] == 'on')
                return 'OK'
            if cmd == 'RELEASE':
                n = int(words[1])
                out, self.queue = self.queue[:n], self.queue[n:]
                left = len(self.queue)
            else:
                return 'ERR unknown request'
        for host, answer in out:
            self.send(host, answer)
        return 'OK %d' % left

def serve_control(fake, info):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind(('127.0.0.1', 0))
    s.listen(4)
    with open(info + '.tmp', 'w') as f:
        f.write('CONTROL=127.0.0.1:%d\n' % s.getsockname()[1])
    os.replace(info + '.tmp', info)
    while True:
        conn, _ = s.accept()
        threading.Thread(target=control_session, args=(fake, conn), daemon=True).start()

def control_session(fake, conn):
    buf = b''
    with conn:
        while True:
            chunk = conn.recv(4096)
            if not chunk:
                return
            buf += chunk
            while b'\n' in buf:
                line, buf = buf.split(b'\n', 1)
                answer = fake.request(line.decode('latin-1').rstrip('\r'))
                conn.sendall(answer.encode('latin-1') + b'\n')

def main():
    p = argparse.ArgumentParser()
    p.add_argument('--info', required=True)
    p.add_argument('--port', type=int, default=65000)
    p.add_argument('--reply-port', type=int, default=65002)
    a = p.parse_args()
    serve_control(Fake(a.port, a.reply_port), a.info)

if __name__ == '__main__':
    main()
