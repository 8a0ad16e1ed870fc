#include "scene3ds/load_failure.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {
std::string problem(const std::string& path, int errorNumber) {
    return path + ": " + std::strerror(errorNumber);
}
}  // namespace

std::string loadFailureReason(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "cannot open " + problem(path, errno);
    unsigned char head[2] = {0, 0};
    std::size_t got = std::fread(head, 1, 2, file);
    const int readError = std::ferror(file) ? errno : 0;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::fclose(file);
    if (readError != 0) return "cannot read " + problem(path, readError);
    if (size == 0) return path + " is empty";
    if (size < 0) return path + " cannot be read to its end";
    if (static_cast<unsigned long>(size) > std::numeric_limits<std::uint32_t>::max())
        return path + " is larger than 4 GiB";
    if (got < 2 || (head[0] | (head[1] << 8)) != 0x4D4D)
        return path + " is not a 3DS file (no main chunk 0x4D4D at its start)";
    return path + " holds no editor data chunk (0x3D3D)";
}
