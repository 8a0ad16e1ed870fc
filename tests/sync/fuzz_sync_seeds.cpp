// Seed inputs for the sync fuzz targets: an editor's greeting and commands,
// and track files, as a session would see them.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sync/track_file.h"

namespace {

void write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path corpus = argv[1];
    const std::string kind = corpus.filename().string();
    if (kind.find("track_file") != std::string::npos) {
        write(corpus / "empty", encodeTrackFile({}));
        write(corpus / "keys", encodeTrackFile({{0, 1.0f, Interpolation::Step},
                                                {16, 2.0f, Interpolation::Linear},
                                                {48, -3.5f, Interpolation::Smooth},
                                                {96, 0.25f, Interpolation::Ramp}}));
        return 0;
    }
    const std::string greeting = "hello, demo!";
    std::vector<std::uint8_t> session = {7};  // pieces of 8 bytes
    session.insert(session.end(), greeting.begin(), greeting.end());
    const std::vector<std::uint8_t> commands = {
        4, 1, 3, 0, 0, 2, 0x80,                           // PAUSE, SET_ROW 640
        0, 0, 0, 0, 1, 0, 0,    0, 16, 0x3F, 0, 0, 0, 1,  // SET_KEY track 1 row 16
        0, 0, 0, 0, 1, 0, 0,    0, 8,  0x40, 0, 0, 0, 2,  // SET_KEY track 1 row 8
        1, 0, 0, 0, 1, 0, 0,    0, 16,                    // DELETE_KEY
        4, 0, 5};                                         // PAUSE 0, SAVE_TRACKS
    session.insert(session.end(), commands.begin(), commands.end());
    write(corpus / "session", session);
    // Messages of 12 bytes: the greeting, then SET_ROW, SET_ROW and PAUSE.
    std::vector<std::uint8_t> messages = {0x40 | 11};
    messages.insert(messages.end(), greeting.begin(), greeting.end());
    const std::vector<std::uint8_t> whole = {3, 0, 0, 0, 16, 3, 0, 0, 0, 32, 4, 0};
    messages.insert(messages.end(), whole.begin(), whole.end());
    write(corpus / "messages", messages);
    return 0;
}
