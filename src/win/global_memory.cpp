#include "win/global_memory.h"

#include <cstring>
#include <new>

namespace plivora {

HGLOBAL GlobalAlloc(unsigned /*flags*/, std::size_t bytes) {
    if (bytes > kMaxGlobalBlockBytes) {
        return nullptr;
    }
    try {
        auto block = std::make_shared<GlobalBlock>();
        block->bytes.assign(bytes, 0);
        return block;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::uint8_t* GlobalLock(const HGLOBAL& block) {
    if (!block) {
        return nullptr;
    }
    ++block->locks;
    return block->bytes.data();
}

bool GlobalUnlock(const HGLOBAL& block) {
    if (!block || block->locks == 0) {
        return false;
    }
    --block->locks;
    return block->locks > 0;
}

std::size_t GlobalSize(const HGLOBAL& block) {
    return block ? block->bytes.size() : 0;
}

void RtlMoveMemory(void* destination, const void* source, std::size_t length) {
    std::memmove(destination, source, length);
}

}  // namespace plivora
