// The sync protocol's bytes, and the client over a scripted transport.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "sync/sync_client.h"
#include "sync/sync_protocol.h"

namespace {

using namespace syncprotocol;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(SyncProtocol, WhatTheDemoSends) {
    EXPECT_EQ(getTrackMessage("ab:c"), (Bytes{2, 0, 0, 0, 4, 'a', 'b', ':', 'c'}));
    EXPECT_EQ(setRowMessage(0x01020304), (Bytes{3, 1, 2, 3, 4}));
}

TEST(SyncProtocol, TheEditorsGreeting) {
    std::size_t used = 0;
    std::string error;
    const Bytes right = bytesOf("hello, demo!\x04\x01");
    EXPECT_EQ(readServerGreeting({right.data(), 5}, used, error), ReadResult::NeedMore);
    EXPECT_EQ(readServerGreeting({}, used, error), ReadResult::NeedMore);
    EXPECT_EQ(readServerGreeting(right, used, error), ReadResult::Command);
    EXPECT_EQ(used, 12u);
    EXPECT_EQ(readServerGreeting(bytesOf("hello, demon"), used, error), ReadResult::Bad);
    EXPECT_EQ(readServerGreeting(bytesOf("HTTP"), used, error), ReadResult::Bad);
}

TEST(SyncProtocol, EveryEditorCommandAndEveryPrefixOfIt) {
    const Bytes stream = {0, 0, 0, 0, 7,    0, 0, 1, 0, 0x3F, 0xC0, 0, 0, 2,  // SET_KEY
                          1, 0, 0, 0, 7,    0, 0, 1, 0,                       // DELETE_KEY
                          3, 0, 0, 2, 0x80,                                   // SET_ROW 640
                          4, 1,                                               // PAUSE
                          5};                                                 // SAVE_TRACKS
    std::vector<EditorCommand> commands;
    std::size_t at = 0;
    while (at < stream.size()) {
        // Every cut inside the next message asks for more.
        for (std::size_t cut = at; cut < stream.size(); ++cut) {
            std::size_t used = 0;
            EditorCommand command;
            std::string error;
            const auto result =
                readEditorCommand({stream.data() + at, cut - at}, 8, used, command, error);
            if (result == ReadResult::Command) break;
            ASSERT_EQ(result, ReadResult::NeedMore) << error;
        }
        std::size_t used = 0;
        EditorCommand command;
        std::string error;
        ASSERT_EQ(
            readEditorCommand({stream.data() + at, stream.size() - at}, 8, used, command, error),
            ReadResult::Command)
            << error;
        commands.push_back(command);
        at += used;
    }
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].kind, EditorCommand::Kind::SetKey);
    EXPECT_EQ(commands[0].track, 7u);
    EXPECT_EQ(commands[0].key, (TrackKey{256, 1.5f, Interpolation::Smooth}));
    EXPECT_EQ(commands[1].kind, EditorCommand::Kind::DeleteKey);
    EXPECT_EQ(commands[1].key.row, 256);
    EXPECT_EQ(commands[2].kind, EditorCommand::Kind::SetRow);
    EXPECT_EQ(commands[2].row, 640u);
    EXPECT_EQ(commands[3].kind, EditorCommand::Kind::Pause);
    EXPECT_TRUE(commands[3].paused);
    EXPECT_EQ(commands[4].kind, EditorCommand::Kind::SaveTracks);
}

TEST(SyncProtocol, BadCommandsAreNamed) {
    const auto reason = [](Bytes bytes) {
        std::size_t used = 0;
        EditorCommand command;
        std::string error;
        EXPECT_EQ(readEditorCommand(bytes, 8, used, command, error), ReadResult::Bad);
        return error;
    };
    EXPECT_EQ(reason({6}), "unknown command 6");
    EXPECT_EQ(reason({2, 0, 0, 0, 1, 'x'}), "unknown command 2");  // GET_TRACK is the demo's
    EXPECT_EQ(reason({0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
              "track 8 out of range (8 tracks)");
    EXPECT_EQ(reason({1, 0, 0, 0, 0, 0x80, 0, 0, 0}), "row 2147483648 out of range");
    EXPECT_EQ(reason({3, 0xFF, 0xFF, 0xFF, 0xFF}), "row 4294967295 out of range");
    EXPECT_EQ(reason({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4}), "unknown interpolation 4");
}

// A transport whose other end the test plays: it says how the connection
// stands and what arrived, and keeps what the client sent.
class ScriptedTransport : public platform::SyncTransport {
  public:
    State next = State::Open;  // what a connection attempt comes to
    std::string reason = "Connection refused";
    int opens = 0;
    Bytes sent;
    Bytes incoming;

    bool resolve(const std::string&, int, std::string&) override { return true; }
    void open() override {
        ++opens;
        state_ = next;
        sent.clear();
    }
    State update() override { return state_; }
    void sendGreeting(std::span<const std::uint8_t> bytes) override { send(bytes); }
    void send(std::span<const std::uint8_t> bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
    }
    bool takeReceived(std::vector<std::uint8_t>& into) override {
        if (messages) {
            if (queued.empty()) return false;
            into.insert(into.end(), queued.front().begin(), queued.front().end());
            queued.pop_front();
            return true;
        }
        into.insert(into.end(), incoming.begin(), incoming.end());
        incoming.clear();
        return true;
    }
    bool carriesMessages() const override { return messages; }
    // As a WebSocket: what arrives comes in messages, taken one at a time.
    bool messages = false;
    std::deque<Bytes> queued;
    void close() override { state_ = State::Closed; }
    std::string closeReason() const override { return reason; }
    void cut() { state_ = State::Closed; }

  private:
    State state_ = State::Closed;
};

class SyncClientTest : public ::testing::Test {
  protected:
    SyncClientTest() {
        SyncHandlers handlers;
        handlers.setRow = [this](std::uint32_t row) { rows.push_back(row); };
        handlers.pause = [this](bool paused) { pauses.push_back(paused); };
        handlers.saveTracks = [this] { ++saves; };
        handlers.disconnected = [this] { ++lost; };
        handlers.note = [this](const std::string& line) { notes.push_back(line); };
        client = std::make_unique<SyncClient>(transport, tracks, handlers, "here:1");
    }
    void connect(double now) {
        transport.next = platform::SyncTransport::State::Open;
        client->update(now);
        transport.incoming = bytesOf("hello, demo!");
        client->update(now);
    }

    ScriptedTransport transport;
    std::vector<SyncTrack> tracks = {{"a:x", {}}, {"b:y", {}}};
    std::vector<std::uint32_t> rows;
    std::vector<bool> pauses;
    int saves = 0;
    int lost = 0;  // editors that had answered and went away
    std::vector<std::string> notes;
    std::unique_ptr<SyncClient> client;
};

TEST_F(SyncClientTest, TriesAboutOnceASecondAndSaysSoOnce) {
    transport.next = platform::SyncTransport::State::Closed;
    for (double now = 0.0; now < 3.95; now += 0.05) client->update(now);
    EXPECT_EQ(transport.opens, 4);  // at 0, 1, 2 and 3 s
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0],
              "no sync editor at here:1 (Connection refused); trying again about once a second");
    EXPECT_FALSE(client->connected());
    EXPECT_EQ(lost, 0);
}

TEST_F(SyncClientTest, GreetsAsksForTheTracksInOrderAndAppliesTheEditorsKeys) {
    connect(0.0);
    ASSERT_TRUE(client->connected());
    Bytes expected = bytesOf("hello, synctracker!");
    for (const char* name : {"a:x", "b:y"}) {
        const Bytes message = getTrackMessage(name);
        expected.insert(expected.end(), message.begin(), message.end());
    }
    EXPECT_EQ(transport.sent, expected);
    // What an editor sends on connecting and for a track with a key, in
    // pieces that split messages anywhere.
    const Bytes stream = {4, 1, 3, 0, 0, 0, 32, 0, 0, 0, 0, 1, 0, 0, 0, 5, 0x40, 0, 0, 0, 1, 5};
    for (std::size_t i = 0; i < stream.size(); i += 3) {
        transport.incoming.assign(stream.begin() + i,
                                  stream.begin() + std::min(i + 3, stream.size()));
        client->update(0.1);
    }
    EXPECT_EQ(pauses, std::vector<bool>{true});
    EXPECT_EQ(rows, std::vector<std::uint32_t>{32});
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(tracks[0].keys.empty());
    ASSERT_EQ(tracks[1].keys.size(), 1u);
    EXPECT_EQ(tracks[1].keys[0], (TrackKey{5, 2.0f, Interpolation::Linear}));
    client->sendRow(33);
    EXPECT_EQ(Bytes(transport.sent.end() - 5, transport.sent.end()), setRowMessage(33));
}

TEST_F(SyncClientTest, BadBytesDropTheConnectionAndTheNextOneAsksAgain) {
    connect(0.0);
    tracks[1].keys = {{1, 1.0f}};
    transport.incoming = {9};
    client->update(0.5);
    EXPECT_FALSE(client->connected());
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1],
              "sync editor at here:1: unknown command 9; connection dropped; trying again about "
              "once a second");
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(tracks[1].keys.size(), 1u);  // kept until an editor is back
    client->update(1.0);                   // not yet a second later
    EXPECT_EQ(transport.opens, 1);
    connect(1.5);
    EXPECT_TRUE(client->connected());
    EXPECT_TRUE(tracks[1].keys.empty());  // the editor sends its keys afresh
    EXPECT_EQ(transport.sent.size(), 19u + 2 * 8u);
}

TEST_F(SyncClientTest, ACutMidMessageAWrongGreetingAndSilenceAreNamed) {
    connect(0.0);
    transport.incoming = {0, 0, 0};
    transport.cut();
    client->update(0.1);
    EXPECT_NE(notes.back().find("cut in the middle of a message"), std::string::npos);

    transport.next = platform::SyncTransport::State::Open;
    client->update(1.2);
    transport.incoming = bytesOf("hello, world");
    client->update(1.3);
    EXPECT_NE(notes.back().find("greeting is wrong"), std::string::npos) << notes.back();

    // A server that takes the connection and says nothing is let go, and
    // failing the same way again is not told twice.
    notes.clear();
    client->update(2.4);
    client->update(7.3);
    EXPECT_EQ(transport.opens, 3);
    client->update(7.5);
    EXPECT_FALSE(client->connected());
    EXPECT_EQ(notes, std::vector<std::string>{"sync editor at here:1: no greeting within 5 s; "
                                              "trying again about once a second"});
    client->update(8.6);
    client->update(13.7);
    EXPECT_EQ(transport.opens, 4);
    EXPECT_EQ(notes.size(), 1u);
}

// Over a transport that carries messages (a WebSocket), each message holds
// whole protocol messages: one or more, never a part.
TEST_F(SyncClientTest, MessagesHoldWholeCommandsAndACutOneDropsTheConnection) {
    transport.messages = true;
    transport.next = platform::SyncTransport::State::Open;
    client->update(0.0);
    transport.queued = {bytesOf("hello, demo!"),
                        {4, 1},
                        {3, 0, 0, 0, 7, 3, 0, 0, 0, 8},
                        {0, 0, 0, 0, 0, 0, 0, 0, 2, 0x3F, 0x80, 0, 0, 0}};
    client->update(0.1);
    ASSERT_TRUE(client->connected());
    EXPECT_EQ(pauses, std::vector<bool>{true});
    EXPECT_EQ(rows, (std::vector<std::uint32_t>{7, 8}));
    ASSERT_EQ(tracks[0].keys.size(), 1u);
    EXPECT_EQ(tracks[0].keys[0], (TrackKey{2, 1.0f, Interpolation::Step}));

    // A SET_ROW whose last byte comes in the next message.
    transport.queued = {{3, 0, 0, 0}, {9}};
    client->update(0.2);
    EXPECT_FALSE(client->connected());
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(notes.back(),
              "sync editor at here:1: a message from the editor was cut: it ends within a "
              "command; connection dropped; trying again about once a second");
    EXPECT_EQ(lost, 1);

    // The greeting, too, is one message of its own.
    transport.queued = {bytesOf("hello, "), bytesOf("demo!")};
    client->update(1.3);
    EXPECT_FALSE(client->connected());
    EXPECT_NE(notes.back().find("it ends within a greeting"), std::string::npos) << notes.back();
}

}  // namespace
