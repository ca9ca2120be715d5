#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace plivora {

// A movable memory block as the clipboard takes it: its bytes, and how often it is locked.
struct GlobalBlock {
    std::vector<std::uint8_t> bytes;
    int locks = 0;
};
using HGLOBAL = std::shared_ptr<GlobalBlock>;

inline constexpr unsigned GMEM_MOVEABLE = 0x0002;
inline constexpr unsigned GMEM_ZEROINIT = 0x0040;
// The largest block handed out; a larger request gets no block, as when memory runs out.
inline constexpr std::size_t kMaxGlobalBlockBytes = 256u * 1024u * 1024u;

// A new block of `bytes` bytes (zero-filled), or null when it cannot be had.
HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes);
// The block's first byte, or null for a null block.
std::uint8_t* GlobalLock(const HGLOBAL& block);
bool GlobalUnlock(const HGLOBAL& block);
std::size_t GlobalSize(const HGLOBAL& block);
void RtlMoveMemory(void* destination, const void* source, std::size_t length);

}  // namespace plivora
