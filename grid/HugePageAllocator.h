// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// Memory for the big arrays of a tank: the grid's values and the picture's pixels.
#pragma once

#include <cstddef>
#include <memory>

namespace plashbox {

// An allocator that backs arrays of 2 MB and more with the system's huge pages where it has
// them (Linux, unless they are turned off). A sweep of a big tank touches every row of the
// picture, thousands of pages a band; with 4 KB pages the address translation misses on most
// of them. Smaller arrays, and every array elsewhere, come from the usual heap.
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
inline constexpr bool SystemHasHugePages = true;
#else
inline constexpr bool SystemHasHugePages = false;
#endif
inline constexpr std::size_t HugePageBytes = std::size_t{2} << 20;
inline constexpr bool OnHugePages(std::size_t Bytes) { return SystemHasHugePages && Bytes >= HugePageBytes; }

// A block of whole huge pages, aligned to one, and its release.
void* AllocateHugePages(std::size_t Bytes);
void FreeHugePages(void* Block);

template <class T>
struct THugePageAllocator {
  using value_type = T;

  THugePageAllocator() = default;
  template <class U>
  THugePageAllocator(const THugePageAllocator<U>&) {}

  T* allocate(std::size_t N) {
    if (!OnHugePages(N * sizeof(T))) return std::allocator<T>().allocate(N);
    return static_cast<T*>(AllocateHugePages(N * sizeof(T)));
  }
  void deallocate(T* Block, std::size_t N) {
    if (!OnHugePages(N * sizeof(T))) return std::allocator<T>().deallocate(Block, N);
    FreeHugePages(Block);
  }
  template <class U>
  bool operator==(const THugePageAllocator<U>&) const {
    return true;
  }
};

}  // namespace plashbox
