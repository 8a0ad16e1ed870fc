#pragma once
// GNU Rocket's sync protocol, as bytes: the demo greets with
// "hello, synctracker!" and the editor answers "hello, demo!"; then one
// command byte per message, integers big-endian. The demo asks for its
// tracks (GET_TRACK, numbered by the editor in the order asked, from 0) and
// reports its row while it plays (SET_ROW); the editor sets and deletes keys,
// moves the row, pauses and asks for the tracks to be saved. Pure byte code:
// the connection that carries the bytes is the caller's.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sync/sync_track.h"

namespace syncprotocol {

inline constexpr std::string_view kClientGreeting = "hello, synctracker!";
inline constexpr std::string_view kServerGreeting = "hello, demo!";

inline constexpr std::uint8_t kSetKey = 0;
inline constexpr std::uint8_t kDeleteKey = 1;
inline constexpr std::uint8_t kGetTrack = 2;
inline constexpr std::uint8_t kSetRow = 3;
inline constexpr std::uint8_t kPause = 4;
inline constexpr std::uint8_t kSaveTracks = 5;

// The last row a key or the editor's cursor may name: rows are stored as
// int32 in track files.
inline constexpr std::uint32_t kMaxRow = 2147483647u;

// GET_TRACK with the name's length and its UTF-8 bytes.
std::vector<std::uint8_t> getTrackMessage(std::string_view name);
// SET_ROW with the row.
std::vector<std::uint8_t> setRowMessage(std::uint32_t row);

// What the editor sent.
struct EditorCommand {
    enum class Kind { SetKey, DeleteKey, SetRow, Pause, SaveTracks } kind = Kind::SaveTracks;
    std::uint32_t track = 0;
    TrackKey key;           // SET_KEY: row, value and interpolation; DELETE_KEY: the row
    std::uint32_t row = 0;  // SET_ROW
    bool paused = false;    // PAUSE
};

enum class ReadResult {
    Command,   // one command was read; `used` bytes are done with
    NeedMore,  // the bytes end within a message: wait for more
    Bad,       // the bytes cannot be a message: `error` says why
};

// Reads the editor's greeting from the start of `bytes`.
ReadResult readServerGreeting(std::span<const std::uint8_t> bytes, std::size_t& used,
                              std::string& error);
// Reads one editor command from the start of `bytes`: an unknown command
// byte, an unknown interpolation, a track number at or past `trackCount` or
// a row past kMaxRow is Bad.
ReadResult readEditorCommand(std::span<const std::uint8_t> bytes, std::uint32_t trackCount,
                             std::size_t& used, EditorCommand& command, std::string& error);

}  // namespace syncprotocol
