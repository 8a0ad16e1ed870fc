// The show's tracks: their names, their defaults, and the connection that
// carries them on the Linux desktop.
#include "sync/show_tracks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <thread>

#include "platform/sync_transport.h"
#include "tests/support/scripted_editor.h"

namespace {

TEST(ShowTracks, NamedByGroupAndUnique) {
    std::set<std::string> names;
    for (const ShowTrack& track : showTracks()) {
        const std::string name = track.name;
        EXPECT_NE(name.find(':'), std::string::npos) << name;
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    EXPECT_EQ(std::string(showTracks()[0].name), "show:time");
    EXPECT_EQ(std::string(showTracks()[1].name), "show:brightness");
    EXPECT_GE(names.size(), 14u);
    EXPECT_EQ(makeShowTrackSet().size(), names.size());
}

TEST(ShowTracks, WithoutKeysEveryValueIsTheShows) {
    ShowClock clock;
    clock.demoTime = 12.0;
    clock.sceneTime = 12.0;
    ShowParameters parameters;
    shapeFrame(makeShowTrackSet(), clock, parameters);
    EXPECT_EQ(clock.sceneTime, 12.0);
    // Byte for byte the default record: the show as it ships.
    const ShowParameters shipped;
    EXPECT_EQ(parameters.brightness, shipped.brightness);
    EXPECT_EQ(std::memcmp(&parameters.timeline, &shipped.timeline, sizeof shipped.timeline), 0);
    EXPECT_FALSE(parameters.scene.eyeX || parameters.scene.targetZ);
    EXPECT_EQ(parameters.scene.floorBlue, static_cast<double>(0.4f));
    EXPECT_EQ(parameters.scene.fieldOfView, 75.0);
}

TEST(ShowTracks, EachKeyedTrackLandsWhereItBelongs) {
    std::vector<SyncTrack> tracks = makeShowTrackSet();
    const std::span<const ShowTrack> all = showTracks();
    // Key i holds 100 + i from row 0 on; then every value tells its track.
    for (std::size_t i = 0; i < tracks.size(); ++i)
        tracks[i].keys = {{0, 100.0f + static_cast<float>(i), Interpolation::Step}};
    ShowClock clock;
    clock.demoTime = 2.0;
    ShowParameters parameters;
    shapeFrame(tracks, clock, parameters);
    const auto index = [&](std::string_view name) {
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].name == name) return 100.0 + static_cast<double>(i);
        return -1.0;
    };
    EXPECT_EQ(clock.sceneTime, index("show:time"));
    EXPECT_EQ(parameters.brightness, index("show:brightness"));
    EXPECT_EQ(*parameters.scene.eyeY, index("camera:eye.y"));
    EXPECT_EQ(*parameters.scene.targetX, index("camera:target.x"));
    EXPECT_EQ(parameters.scene.filmStrength, index("film:strength"));
    EXPECT_EQ(parameters.timeline.part1Start, index("timeline:part1.start"));
    EXPECT_EQ(parameters.timeline.swingSlow, index("envelope:swing.slow"));
}

TEST(ShowTracks, ReadAtSixteenRowsASecond) {
    std::vector<SyncTrack> tracks = makeShowTrackSet();
    tracks[1].keys = {{16, 0.0f, Interpolation::Linear}, {32, 1.0f, Interpolation::Step}};
    ShowClock clock;
    clock.demoTime = 1.5;  // row 24
    ShowParameters parameters;
    shapeFrame(tracks, clock, parameters);
    EXPECT_EQ(parameters.brightness, 0.5);
    EXPECT_EQ(timeOfRow(640), 40.0);
}

TEST(PosixSyncTransport, ConnectsSendsAndReceivesWithoutWaiting) {
    ScriptedEditor editor;
    ASSERT_NE(editor.port(), 0);
    auto transport = platform::makeSyncTransport();
    std::string error;
    ASSERT_TRUE(transport->resolve("127.0.0.1", editor.port(), error)) << error;
    transport->open();
    const auto pump = [&] {
        transport->update();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    const std::string greeting = "hello, synctracker!";
    transport->sendGreeting(
        {reinterpret_cast<const std::uint8_t*>(greeting.data()), greeting.size()});
    ASSERT_TRUE(editor.accept(pump));
    std::vector<std::uint8_t> received;
    for (int i = 0; i < 200 && received.size() < 12; ++i) {
        pump();
        transport->takeReceived(received);
    }
    EXPECT_EQ(std::string(received.begin(), received.end()), "hello, demo!");
    EXPECT_EQ(transport->update(), platform::SyncTransport::State::Open);
    editor.drop();
    for (int i = 0; i < 200 && transport->update() != platform::SyncTransport::State::Closed; ++i)
        pump();
    EXPECT_EQ(transport->update(), platform::SyncTransport::State::Closed);
    EXPECT_EQ(transport->closeReason(), "the editor closed the connection");
}

TEST(PosixSyncTransport, NoEditorIsRefusedAndAnUnansweringHostLeavesItConnecting) {
    auto transport = platform::makeSyncTransport();
    std::string error;
    int freePort = 0;
    {
        ScriptedEditor gone;
        freePort = gone.port();
    }
    ASSERT_TRUE(transport->resolve("127.0.0.1", freePort, error)) << error;
    transport->open();
    for (int i = 0; i < 200 && transport->update() != platform::SyncTransport::State::Closed; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(transport->closeReason(), "Connection refused");
    // A documentation address (TEST-NET-1) answers nothing: the attempt is
    // under way, and neither open() nor update() waited for it to end.
    ASSERT_TRUE(transport->resolve("192.0.2.1", 1338, error)) << error;
    transport->open();
    const auto state = transport->update();
    EXPECT_TRUE(state == platform::SyncTransport::State::Connecting ||
                state == platform::SyncTransport::State::Closed);  // no route at all
    EXPECT_FALSE(transport->resolve("no-such-host.invalid", 1338, error));
    EXPECT_NE(error.find("no-such-host.invalid"), std::string::npos);
}

}  // namespace
