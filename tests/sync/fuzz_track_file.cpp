// Fuzz target: track files. A file that is read writes back byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sync/track_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<TrackKey> keys;
    std::string reason;
    if (!decodeTrackFile(data, size, keys, reason)) {
        if (reason.empty() || !keys.empty()) std::abort();
        return 0;
    }
    const std::vector<std::uint8_t> again = encodeTrackFile(keys);
    if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
    return 0;
}
