#include "texturing/file_byte_source.h"

FileByteSource::~FileByteSource() {
    close();
}

bool FileByteSource::open(const char* fileName) {
    close();
    stream = std::fopen(fileName, "rb");
    return stream != nullptr;
}

void FileByteSource::close() {
    if (stream != nullptr) std::fclose(stream);
    stream = nullptr;
    atEnd = false;
    failed = false;
}

int FileByteSource::read(std::uint8_t* buffer, int wanted, bool* endFlag) {
    if (stream == nullptr) return -1;
    if (atEnd) {
        *endFlag = true;
        return 0;
    }
    if (failed) return -1;
    if (wanted <= 0) return 0;
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(wanted), stream);
    if (got == static_cast<std::size_t>(wanted)) return wanted;
    if (std::ferror(stream) != 0) {
        failed = true;
        return -1;
    }
    atEnd = true;
    *endFlag = true;
    return static_cast<int>(got);
}
