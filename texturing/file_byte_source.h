#pragma once
#include <cstdio>

#include "texturing/byte_source.h"

// Bytes of a file read through a C stream in binary mode.
class FileByteSource : public ByteSource {
  public:
    FileByteSource() = default;
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    // Closes any open file, clears the flags and opens `fileName` for
    // reading; returns whether it opened.
    bool open(const char* fileName);
    // Closes the file if one is open and clears the flags.
    void close();
    bool isOpen() const { return stream != nullptr; }

    // -1 with no open file or after a read error; once the end has been
    // reached, 0 with the end flag set.
    int read(std::uint8_t* buffer, int wanted, bool* endFlag) override;
    void beginUse() override {}
    void endUse() override {}

  private:
    std::FILE* stream = nullptr;
    bool atEnd = false;
    bool failed = false;
};
