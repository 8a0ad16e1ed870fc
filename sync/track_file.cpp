#include "sync/track_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

constexpr std::size_t kKeyBytes = 9;

void putInt32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t getInt32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool isPlain(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '/';
}

std::string systemReason() {
    return std::strerror(errno);
}

}  // namespace

std::string trackFileName(const std::string& trackName) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string name = "sync_";
    for (const char ch : trackName) {
        const auto c = static_cast<unsigned char>(ch);
        if (isPlain(c)) {
            name += ch;
        } else {
            name += '-';
            name += kHex[c >> 4];
            name += kHex[c & 15];
        }
    }
    return name + ".track";
}

std::vector<std::uint8_t> encodeTrackFile(const std::vector<TrackKey>& keys) {
    std::vector<std::uint8_t> out;
    out.reserve(4 + kKeyBytes * keys.size());
    putInt32(out, static_cast<std::uint32_t>(keys.size()));
    for (const TrackKey& key : keys) {
        putInt32(out, static_cast<std::uint32_t>(key.row));
        std::uint32_t bits = 0;
        std::memcpy(&bits, &key.value, sizeof bits);
        putInt32(out, bits);
        out.push_back(static_cast<std::uint8_t>(key.interpolation));
    }
    return out;
}

namespace {

bool readKeys(const std::uint8_t* bytes, std::size_t size, std::vector<TrackKey>& keys,
              std::string& reason) {
    if (size < 4) {
        reason = "cut short: " + std::to_string(size) + " bytes, no key count";
        return false;
    }
    const auto count = static_cast<std::int32_t>(getInt32(bytes));
    if (count < 0) {
        reason = "negative key count " + std::to_string(count);
        return false;
    }
    const std::size_t room = (size - 4) / kKeyBytes;
    if (static_cast<std::size_t>(count) > room) {
        reason = "cut short: " + std::to_string(count) + " keys counted, bytes for " +
                 std::to_string(room);
        return false;
    }
    if (size - 4 != static_cast<std::size_t>(count) * kKeyBytes) {
        reason = std::to_string(size - 4 - static_cast<std::size_t>(count) * kKeyBytes) +
                 " bytes after the last of " + std::to_string(count) + " keys";
        return false;
    }
    keys.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = bytes + 4 + kKeyBytes * static_cast<std::size_t>(i);
        TrackKey key;
        key.row = static_cast<std::int32_t>(getInt32(p));
        const std::uint32_t bits = getInt32(p + 4);
        std::memcpy(&key.value, &bits, sizeof bits);
        if (p[8] >= kInterpolationCount) {
            reason =
                "key " + std::to_string(i) + " has unknown interpolation " + std::to_string(p[8]);
            return false;
        }
        key.interpolation = static_cast<Interpolation>(p[8]);
        if (key.row < 0) {
            reason = "key " + std::to_string(i) + " has negative row " + std::to_string(key.row);
            return false;
        }
        if (!keys.empty() && key.row <= keys.back().row) {
            reason = "rows out of order: key " + std::to_string(i) + " at row " +
                     std::to_string(key.row) + " after row " + std::to_string(keys.back().row);
            return false;
        }
        keys.push_back(key);
    }
    return true;
}

}  // namespace

bool decodeTrackFile(const std::uint8_t* bytes, std::size_t size, std::vector<TrackKey>& keys,
                     std::string& reason) {
    keys.clear();
    if (readKeys(bytes, size, keys, reason)) return true;
    keys.clear();
    return false;
}

bool saveTrackFiles(const std::string& folder, const std::vector<SyncTrack>& tracks,
                    std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
        error = "cannot make " + folder + ": " + code.message();
        return false;
    }
    for (const SyncTrack& track : tracks) {
        const fs::path file = fs::path(folder) / trackFileName(track.name);
        const fs::path partial = file.string() + ".partial";
        const std::vector<std::uint8_t> bytes = encodeTrackFile(track.keys);
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + partial.string() + ": " + systemReason();
            fs::remove(partial, code);
            return false;
        }
        fs::rename(partial, file, code);
        if (code) {
            error = "cannot write " + file.string() + ": " + code.message();
            fs::remove(partial, code);
            return false;
        }
    }
    return true;
}

bool loadTrackFiles(const std::string& folder, std::vector<SyncTrack>& tracks, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    if (!fs::is_directory(folder, code)) {
        error = "cannot read the track folder " + folder + ": " +
                (code                       ? code.message()
                 : fs::exists(folder, code) ? std::string("not a folder")
                                            : "No such file or directory");
        return false;
    }
    for (SyncTrack& track : tracks) {
        track.keys.clear();
        const fs::path file = fs::path(folder) / trackFileName(track.name);
        if (!fs::exists(file, code)) continue;
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            error = "cannot read " + file.string() + ": " + systemReason();
            return false;
        }
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        if (in.bad()) {
            error = "cannot read " + file.string() + ": " + systemReason();
            return false;
        }
        std::string reason;
        if (!decodeTrackFile(bytes.data(), bytes.size(), track.keys, reason)) {
            error = file.string() + ": " + reason;
            return false;
        }
    }
    return true;
}
