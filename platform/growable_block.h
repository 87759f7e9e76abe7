// A zero-filled memory block that grows and shrinks in steps of 8192 bytes, for buffers that are
// resized often (the search window's list buffer). The block owns its memory; moving the owner
// moves it, and BlockFree or destruction releases it. Allocation failure throws std::bad_alloc,
// the runtime's out-of-memory error, and leaves the block as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace skimmer::platform {

class GrowableBlock {
public:
    uint8_t* data() const { return data_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return data_ == nullptr; }

private:
    friend void BlockAlloc(GrowableBlock& Handle, size_t Size);
    friend void BlockFree(GrowableBlock& Handle);
    friend void BlockResize(GrowableBlock& Handle, size_t Size);
    std::unique_ptr<uint8_t[]> data_;
    size_t size_ = 0;
};

constexpr size_t kBlockStep = 8192;

// Replaces the block with a new zeroed one of exactly Size bytes (Size 0: no block).
void BlockAlloc(GrowableBlock& Handle, size_t Size);
// Releases the block; afterwards it is empty.
void BlockFree(GrowableBlock& Handle);
// Size 0 frees; no block allocates exactly Size; otherwise, with R = Size rounded up to 8192,
// the block is kept while its size is at least R and less than R + 8193, else it is replaced
// by a zeroed block of R bytes holding the first min(old size, R) bytes of the old one.
void BlockResize(GrowableBlock& Handle, size_t Size);

}  // namespace skimmer::platform
