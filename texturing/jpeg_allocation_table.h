#pragma once

#include <cstddef>

// Records every block of memory the decoder holds so that all of it can be
// released together, on success and on every failure path.
class JpegAllocationTable {
  public:
    static constexpr int kLimit = 100;

    JpegAllocationTable() = default;
    ~JpegAllocationTable();
    JpegAllocationTable(const JpegAllocationTable&) = delete;
    JpegAllocationTable& operator=(const JpegAllocationTable&) = delete;

    // Zeroed memory of `bytes` bytes. Fails with -221 when kLimit blocks are
    // already live and with -233 when the system has no memory for it.
    void* allocate(std::size_t bytes);
    void releaseAll();
    int liveCount() const { return count_; }

  private:
    void* entries_[kLimit] = {};
    int count_ = 0;
};
