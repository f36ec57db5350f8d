#include "grid/HugePageAllocator.h"

#include <cstdlib>
#include <new>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#endif

namespace plashbox {

void* AllocateHugePages(std::size_t Bytes) {
  const std::size_t rounded = (Bytes + HugePageBytes - 1) / HugePageBytes * HugePageBytes;
  // Whole pages: the system backs a range with huge pages only where it covers them.
  void* block = std::aligned_alloc(HugePageBytes, rounded);
  if (!block) throw std::bad_alloc();
#if defined(__linux__) && !defined(__EMSCRIPTEN__) && defined(MADV_HUGEPAGE)
  // Only advice: where huge pages are off, the block keeps small ones.
  madvise(block, rounded, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeHugePages(void* Block) { std::free(Block); }

}  // namespace plashbox
