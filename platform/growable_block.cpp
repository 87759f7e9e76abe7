#include "platform/growable_block.h"

#include <algorithm>
#include <cstring>

namespace skimmer::platform {

namespace {

std::unique_ptr<uint8_t[]> zeroed(size_t size) {
    return std::unique_ptr<uint8_t[]>(new uint8_t[size]());  // value-initialised: all zero
}

}  // namespace

void BlockAlloc(GrowableBlock& Handle, size_t Size) {
    if (Size == 0) {
        BlockFree(Handle);
        return;
    }
    auto fresh = zeroed(Size);  // may throw; the old block then stays
    Handle.data_ = std::move(fresh);
    Handle.size_ = Size;
}

void BlockFree(GrowableBlock& Handle) {
    Handle.data_.reset();
    Handle.size_ = 0;
}

void BlockResize(GrowableBlock& Handle, size_t Size) {
    if (Size == 0) return BlockFree(Handle);
    if (Handle.empty()) return BlockAlloc(Handle, Size);
    const size_t rounded = (Size + kBlockStep - 1) / kBlockStep * kBlockStep;
    if (Handle.size_ >= rounded && Handle.size_ - rounded < kBlockStep + 1) return;
    auto fresh = zeroed(rounded);
    std::memcpy(fresh.get(), Handle.data_.get(), std::min(Handle.size_, rounded));
    Handle.data_ = std::move(fresh);
    Handle.size_ = rounded;
}

}  // namespace skimmer::platform
