// Large blocks: posix_memalign(3) on a 2 MiB boundary and, on Linux,
// madvise(MADV_HUGEPAGE) for transparent huge pages.
#include "platform/large_block.hpp"

#include <cstdlib>
#include <sys/mman.h>

namespace kestro::platform {
namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

}  // namespace

void* AllocateLargeBlock(std::size_t size) {
  void* block = nullptr;
  if (::posix_memalign(&block, kHugePage, size == 0 ? 1 : size) != 0) return nullptr;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only whole huge pages inside the block; a refusal leaves ordinary pages.
  const std::size_t whole = size / kHugePage * kHugePage;
  if (whole > 0) (void)::madvise(block, whole, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeLargeBlock(void* block) { std::free(block); }

}  // namespace kestro::platform
