// Large blocks on Windows: ordinary heap memory (large pages there need a
// privilege that a scanner should not ask for).
#include "platform/large_block.hpp"

#include <cstdlib>

namespace kestro::platform {

void* AllocateLargeBlock(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void FreeLargeBlock(void* block) { std::free(block); }

}  // namespace kestro::platform
