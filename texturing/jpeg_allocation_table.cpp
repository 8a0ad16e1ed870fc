#include "texturing/jpeg_allocation_table.h"

#include <cstdlib>

#include "texturing/jpeg_errors.h"

JpegAllocationTable::~JpegAllocationTable() {
    releaseAll();
}

void* JpegAllocationTable::allocate(std::size_t bytes) {
    if (count_ >= kLimit) jpegFail(jpeg_error::kTooManyAllocations);
    void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (memory == nullptr) jpegFail(jpeg_error::kOutOfMemory);
    entries_[count_++] = memory;
    return memory;
}

void JpegAllocationTable::releaseAll() {
    while (count_ > 0) {
        --count_;
        std::free(entries_[count_]);
        entries_[count_] = nullptr;
    }
}
