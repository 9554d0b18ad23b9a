#include "tarquel/heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace tarquel::cli {

namespace {

constexpr int kTrimThreshold = 512 << 20;
constexpr int kMmapThreshold = 256 << 20;
// Address space the heap takes at once, so that the huge-page advice covers it. Untouched, it
// costs no memory.
constexpr int kHeapReserve = 512 << 20;
constexpr std::uintptr_t kPage = 4096;

}  // namespace

void PrepareHeapForOneCommand() {
  // Memory freed on the way is soon needed again: keep it rather than hand it back to the
  // system and fault it in anew, and serve large buffers from the heap too.
  mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
  mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
  // Grow the heap once by the reserve and advise huge pages for all of it. Later growth is
  // ordinary again.
  mallopt(M_TOP_PAD, kHeapReserve);
  void* block = std::malloc(1 << 20);
  const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
  std::free(block);
  mallopt(M_TOP_PAD, 0);
  const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  // A block that did not come from the program break (another allocator, a heap that could not
  // grow) lies elsewhere: then there is nothing of ours to advise.
  if (block == nullptr || end <= start ||
      end - start > static_cast<std::uintptr_t>(kHeapReserve) * 2) {
    return;
  }
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace tarquel::cli
