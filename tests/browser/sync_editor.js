// A scripted sync editor for the browser tests: the editor's side of GNU
// Rocket's protocol over a WebSocket (npm's ws) on 127.0.0.1, as the Qt
// editor speaks it on port 1339: the demo's greeting arrives as a text
// message, the answer and every command go as one binary message each. The
// protocol's bytes are those of the desktop tests' scripted editor
// (tests/tools/edit/sync_editor.py), big-endian, one command byte a message.
"use strict";
const net = require("net");
const {WebSocketServer} = require("ws");

const CLIENT_GREETING = "hello, synctracker!";
const SERVER_GREETING = "hello, demo!";
const [SET_KEY, DELETE_KEY, GET_TRACK, SET_ROW, PAUSE, SAVE_TRACKS] = [0, 1, 2, 3, 4, 5];

// A port of 127.0.0.1 that nothing listens on (yet).
function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once("error", reject);
    probe.listen(0, "127.0.0.1", () => {
      const {port} = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

async function until(test, timeout, what) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const value = test();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`the demo did not ${what} within ${timeout} ms`);
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
}

// One demo's connection: what it sent, message by message, and the commands.
class Connection {
  constructor(socket) {
    this.socket = socket;
    this.messages = [];  // {bytes, text}
    this.closed = false;
    socket.on("message", (data, isBinary) => this.messages.push({bytes: data, text: !isBinary}));
    socket.on("close", () => { this.closed = true; });
  }

  // The demo's first message: its greeting.
  greeting(timeout = 10000) {
    return until(() => this.messages[0], timeout, "greet");
  }

  // Answers the greeting (by default as GNU Rocket's editor does).
  answer(text = SERVER_GREETING, binary = true) {
    this.socket.send(binary ? Buffer.from(text) : text, {binary});
  }

  // The demo's messages after its greeting, each read as one whole command:
  // {command, name} for GET_TRACK, {command, row} for SET_ROW, {command,
  // bytes} otherwise (bad for the tests).
  commands() {
    return this.messages.slice(1).map(({bytes, text}) => {
      if (text) return {command: "text", bytes};
      const command = bytes[0];
      if (command === GET_TRACK && bytes.length >= 5 && bytes.readUInt32BE(1) === bytes.length - 5) {
        return {command, name: bytes.subarray(5).toString("utf8")};
      }
      if (command === SET_ROW && bytes.length === 5) return {command, row: bytes.readUInt32BE(1)};
      return {command: "bad", bytes};
    });
  }

  tracks() {
    return this.commands().filter((c) => c.command === GET_TRACK).map((c) => c.name);
  }

  rows() {
    return this.commands().filter((c) => c.command === SET_ROW).map((c) => c.row);
  }

  waitForTracks(count, timeout = 10000) {
    return until(() => this.tracks().length >= count && this.tracks(), timeout,
                 `ask for ${count} tracks`);
  }

  waitForRows(count, timeout = 10000) {
    return until(() => this.rows().length >= count && this.rows(), timeout,
                 `report ${count} rows`);
  }

  waitForClose(timeout = 10000) {
    return until(() => this.closed, timeout, "close the connection");
  }

  send(bytes) {
    this.socket.send(Buffer.from(bytes), {binary: true});
  }

  setKey(track, row, value, interpolation = 0) {
    const bytes = Buffer.alloc(14);
    bytes.writeUInt8(SET_KEY, 0);
    bytes.writeUInt32BE(track, 1);
    bytes.writeUInt32BE(row, 5);
    bytes.writeFloatBE(value, 9);
    bytes.writeUInt8(interpolation, 13);
    this.send(bytes);
  }

  deleteKey(track, row) {
    const bytes = Buffer.alloc(9);
    bytes.writeUInt8(DELETE_KEY, 0);
    bytes.writeUInt32BE(track, 1);
    bytes.writeUInt32BE(row, 5);
    this.send(bytes);
  }

  setRow(row) {
    const bytes = Buffer.alloc(5);
    bytes.writeUInt8(SET_ROW, 0);
    bytes.writeUInt32BE(row, 1);
    this.send(bytes);
  }

  pause(paused) {
    this.send([PAUSE, paused ? 1 : 0]);
  }

  save() {
    this.send([SAVE_TRACKS]);
  }

  // The editor goes away.
  drop() {
    this.socket.terminate();
  }
}

class SyncEditor {
  constructor(port) {
    this.port = port;
    this.server = null;
    this.connections = [];
    this.taken = 0;  // connections handed to the test
  }

  // Listens on the port from now on.
  listen() {
    return new Promise((resolve, reject) => {
      this.server = new WebSocketServer({host: "127.0.0.1", port: this.port});
      this.server.once("error", reject);
      this.server.once("listening", resolve);
      this.server.on("connection", (socket) => this.connections.push(new Connection(socket)));
    });
  }

  // The demo's next connection, one the test has not had yet.
  async next(timeout = 10000) {
    const connection = await until(() => this.connections[this.taken], timeout, "connect");
    this.taken += 1;
    return connection;
  }

  // Takes the demo's next connection and answers its greeting; throws
  // unless the greeting came as the text "hello, synctracker!".
  async accept(timeout = 10000) {
    const connection = await this.next(timeout);
    const greeting = await connection.greeting(timeout);
    if (!greeting.text || greeting.bytes.toString() !== CLIENT_GREETING) {
      throw new Error(`the demo's greeting was ${JSON.stringify(greeting.bytes.toString())}` +
                      (greeting.text ? "" : " as a binary message"));
    }
    connection.answer();
    return connection;
  }

  close() {
    for (const c of this.connections) c.socket.terminate();
    return new Promise((resolve) => (this.server ? this.server.close(() => resolve()) : resolve()));
  }
}

module.exports = {SyncEditor, freePort, until, GET_TRACK, SET_ROW};
