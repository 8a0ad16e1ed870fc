#include "sync/sync_protocol.h"

#include <algorithm>
#include <cstring>

namespace syncprotocol {

namespace {

void putBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t big32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// Bytes of each command, the command byte included; 0 for an unknown one.
std::size_t commandSize(std::uint8_t command) {
    switch (command) {
        case kSetKey:
            return 14;
        case kDeleteKey:
            return 9;
        case kSetRow:
            return 5;
        case kPause:
            return 2;
        case kSaveTracks:
            return 1;
        default:
            return 0;
    }
}

ReadResult bad(std::string& error, std::string why) {
    error = std::move(why);
    return ReadResult::Bad;
}

}  // namespace

std::vector<std::uint8_t> getTrackMessage(std::string_view name) {
    std::vector<std::uint8_t> out{kGetTrack};
    putBig32(out, static_cast<std::uint32_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    return out;
}

std::vector<std::uint8_t> setRowMessage(std::uint32_t row) {
    std::vector<std::uint8_t> out{kSetRow};
    putBig32(out, row);
    return out;
}

ReadResult readServerGreeting(std::span<const std::uint8_t> bytes, std::size_t& used,
                              std::string& error) {
    if (bytes.empty()) return ReadResult::NeedMore;
    const std::size_t compared = std::min(bytes.size(), kServerGreeting.size());
    if (std::memcmp(bytes.data(), kServerGreeting.data(), compared) != 0)
        return bad(error, "the editor's greeting is wrong");
    if (compared < kServerGreeting.size()) return ReadResult::NeedMore;
    used = kServerGreeting.size();
    return ReadResult::Command;
}

ReadResult readEditorCommand(std::span<const std::uint8_t> bytes, std::uint32_t trackCount,
                             std::size_t& used, EditorCommand& command, std::string& error) {
    if (bytes.empty()) return ReadResult::NeedMore;
    const std::uint8_t code = bytes[0];
    const std::size_t size = commandSize(code);
    if (size == 0) return bad(error, "unknown command " + std::to_string(code));
    if (bytes.size() < size) return ReadResult::NeedMore;
    const std::uint8_t* p = bytes.data() + 1;
    command = EditorCommand{};
    if (code == kSetKey || code == kDeleteKey) {
        command.track = big32(p);
        const std::uint32_t row = big32(p + 4);
        if (command.track >= trackCount)
            return bad(error, "track " + std::to_string(command.track) + " out of range (" +
                                  std::to_string(trackCount) + " tracks)");
        if (row > kMaxRow) return bad(error, "row " + std::to_string(row) + " out of range");
        command.key.row = static_cast<std::int32_t>(row);
    }
    switch (code) {
        case kSetKey: {
            command.kind = EditorCommand::Kind::SetKey;
            const std::uint32_t bits = big32(p + 8);
            std::memcpy(&command.key.value, &bits, sizeof bits);
            if (p[12] >= kInterpolationCount)
                return bad(error, "unknown interpolation " + std::to_string(p[12]));
            command.key.interpolation = static_cast<Interpolation>(p[12]);
            break;
        }
        case kDeleteKey:
            command.kind = EditorCommand::Kind::DeleteKey;
            break;
        case kSetRow:
            command.kind = EditorCommand::Kind::SetRow;
            command.row = big32(p);
            if (command.row > kMaxRow)
                return bad(error, "row " + std::to_string(command.row) + " out of range");
            break;
        case kPause:
            command.kind = EditorCommand::Kind::Pause;
            command.paused = p[0] != 0;
            break;
        default:
            command.kind = EditorCommand::Kind::SaveTracks;
            break;
    }
    used = size;
    return ReadResult::Command;
}

}  // namespace syncprotocol
