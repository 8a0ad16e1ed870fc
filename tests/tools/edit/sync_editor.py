"""A scripted sync editor for the tests: the editor's side of GNU Rocket's
protocol over TCP, written from the protocol's bytes alone (big-endian
integers, one command byte a message)."""
import select
import socket
import struct
import time

CLIENT_GREETING = b"hello, synctracker!"
SERVER_GREETING = b"hello, demo!"
SET_KEY, DELETE_KEY, GET_TRACK, SET_ROW, PAUSE, SAVE_TRACKS = range(6)


class SyncEditor:
    def __init__(self, port=0):
        self.server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.server.bind(("127.0.0.1", port))
        self.server.listen(1)
        self.port = self.server.getsockname()[1]
        self.client = None
        self.buffer = b""
        self.tracks = []
        self.rows = []

    def accept(self, timeout=30.0, greet=True, answer=SERVER_GREETING):
        """Waits for the demo, reads its greeting and answers it."""
        self.server.settimeout(timeout)
        self.client, _ = self.server.accept()
        self.client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.buffer = b""
        self.tracks = []
        if not greet:
            return
        got = self._read_exactly(len(CLIENT_GREETING), timeout)
        assert got == CLIENT_GREETING, got
        self.client.sendall(answer)

    def _read_exactly(self, count, timeout):
        deadline = time.monotonic() + timeout
        while len(self.buffer) < count:
            self._receive(deadline - time.monotonic())
        got, self.buffer = self.buffer[:count], self.buffer[count:]
        return got

    def _receive(self, timeout):
        if timeout <= 0:
            raise TimeoutError("the demo sent nothing more")
        ready, _, _ = select.select([self.client], [], [], timeout)
        if ready:
            data = self.client.recv(65536)
            if not data:
                raise ConnectionError("the demo closed the connection")
            self.buffer += data

    def read_messages(self, timeout=0.0):
        """Reads what the demo sent: GET_TRACK names into self.tracks, SET_ROW
        rows into self.rows."""
        deadline = time.monotonic() + timeout
        while True:
            while self.buffer:
                command = self.buffer[0]
                if command == GET_TRACK and len(self.buffer) >= 5:
                    length = struct.unpack(">I", self.buffer[1:5])[0]
                    if len(self.buffer) < 5 + length:
                        break
                    self.tracks.append(self.buffer[5:5 + length].decode("utf-8"))
                    self.buffer = self.buffer[5 + length:]
                elif command == SET_ROW and len(self.buffer) >= 5:
                    self.rows.append(struct.unpack(">I", self.buffer[1:5])[0])
                    self.buffer = self.buffer[5:]
                elif command in (GET_TRACK, SET_ROW):
                    break
                else:
                    raise AssertionError("the demo sent command %d" % command)
            left = deadline - time.monotonic()
            ready, _, _ = select.select([self.client], [], [], max(left, 0))
            if not ready:
                return
            data = self.client.recv(65536)
            if not data:
                raise ConnectionError("the demo closed the connection")
            self.buffer += data

    def wait_for_tracks(self, count, timeout=30.0):
        deadline = time.monotonic() + timeout
        while len(self.tracks) < count and time.monotonic() < deadline:
            self.read_messages(0.05)
        return self.tracks

    def send(self, data):
        self.client.sendall(data)

    def set_key(self, track, row, value, interpolation=0):
        value_bits = struct.unpack(">I", struct.pack(">f", value))[0]
        self.send(struct.pack(">BIIIB", SET_KEY, track, row, value_bits, interpolation))

    def delete_key(self, track, row):
        self.send(struct.pack(">BII", DELETE_KEY, track, row))

    def set_row(self, row):
        self.send(struct.pack(">BI", SET_ROW, row))

    def pause(self, paused):
        self.send(struct.pack(">BB", PAUSE, 1 if paused else 0))

    def save(self):
        self.send(bytes([SAVE_TRACKS]))

    def drop(self):
        if self.client:
            self.client.close()
            self.client = None

    def close(self):
        self.drop()
        self.server.close()
