#pragma once
// A sync editor a test scripts: it listens on 127.0.0.1 (a free port unless
// given), and speaks the editor's side of GNU Rocket's protocol, its bytes
// written here by hand. It never blocks for long: each call that waits for
// the demo runs `pump` (a frame of the demo in the same thread) between
// looks at its socket, up to a limit.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ScriptedEditor {
  public:
    explicit ScriptedEditor(int port = 0);
    ~ScriptedEditor();
    ScriptedEditor(const ScriptedEditor&) = delete;
    ScriptedEditor& operator=(const ScriptedEditor&) = delete;

    int port() const { return port_; }
    bool connected() const { return client_ >= 0; }

    using Pump = std::function<void()>;
    // Waits (pumping) for the demo to connect and greet; answers with
    // `answer`. False when it did not within `pumps` pumps.
    bool accept(const Pump& pump, int pumps = 200, const std::string& answer = "hello, demo!");
    // Reads what the demo sent (pumping until `count` track names or rows
    // arrived, or the limit).
    bool waitForTracks(std::size_t count, const Pump& pump, int pumps = 200);
    bool waitForRows(std::size_t count, const Pump& pump, int pumps = 200);
    // Without waiting: takes in what the demo sent.
    void poll();

    const std::vector<std::string>& tracks() const { return tracks_; }
    const std::vector<std::uint32_t>& rows() const { return rows_; }
    // True when the demo closed the connection.
    bool closedByDemo() const { return closedByDemo_; }

    void setKey(std::uint32_t track, std::uint32_t row, float value, std::uint8_t interpolation);
    void deleteKey(std::uint32_t track, std::uint32_t row);
    void setRow(std::uint32_t row);
    void pause(bool paused);
    void saveTracks();
    void sendBytes(const std::vector<std::uint8_t>& bytes);
    // Closes the demo's connection; the listener stays.
    void drop();

  private:
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    bool closedByDemo_ = false;
    std::vector<std::uint8_t> received_;
    std::vector<std::string> tracks_;
    std::vector<std::uint32_t> rows_;
};
