#pragma once
// Memory for the large blocks file bytes are read into.

#include <cstddef>

namespace kestro::platform {

// At least `size` bytes, not cleared; null when there is no memory. On Linux
// the block is aligned to 2 MiB and asked to be backed by huge pages: reading a
// file into it and searching it then costs far fewer page faults and address
// translations (about a tenth less time for both on executables). Elsewhere it
// is ordinary heap memory. Give it back with FreeLargeBlock.
void* AllocateLargeBlock(std::size_t size);
void FreeLargeBlock(void* block);

}  // namespace kestro::platform
