#include "platform/memory_pages.h"

#include <cstdint>
#include <cstdlib>

#if __has_include(<sys/mman.h>) && __has_include(<unistd.h>)
#include <sys/mman.h>
#include <unistd.h>
#define TN_NATIVE_PAGES 1
#endif
#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace {

bool plain_asked() {
    const char* plain = std::getenv("TN_PLAIN_PAGES");
    return plain && *plain && *plain != '0';
}

}  // namespace

bool pages_native() {
#ifdef TN_NATIVE_PAGES
    static const bool native = !plain_asked();
    return native;
#else
    return false;
#endif
}

void* pages_map(size_t size, size_t align) {
#ifdef TN_NATIVE_PAGES
    if (pages_native()) {
        // Mapped larger, then cut to the aligned part.
        const size_t mapped = size + align;
        if (mapped < size) return nullptr;
        void* map =
            mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) return nullptr;
        auto* start = static_cast<char*>(map);
        auto* block = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(start) + align - 1) &
                                              ~(uintptr_t{align} - 1));
        if (block > start) munmap(start, static_cast<size_t>(block - start));
        char* end = block + size;
        if (end < start + mapped) munmap(end, static_cast<size_t>(start + mapped - end));
        return block;
    }
#endif
    return std::aligned_alloc(align, size);
}

void pages_release(void* at, size_t size) noexcept {
    if (!at) return;
#ifdef TN_NATIVE_PAGES
    if (pages_native()) {
        munmap(at, size);
        return;
    }
#endif
    (void)size;
    std::free(at);
}

bool pages_move(void* from, size_t size, void* to) noexcept {
#if defined(TN_NATIVE_PAGES) && defined(MREMAP_FIXED)
    if (pages_native())
        return mremap(from, size, size, MREMAP_MAYMOVE | MREMAP_FIXED, to) != MAP_FAILED;
#endif
    (void)from, (void)size, (void)to;
    return false;
}

void pages_prefer_huge(void* at, size_t size) noexcept {
#if defined(TN_NATIVE_PAGES) && defined(MADV_HUGEPAGE)
    if (pages_native()) madvise(at, size, MADV_HUGEPAGE);
#endif
    (void)at, (void)size;
}

bool pages_make_resident(void* at, size_t size) noexcept {
#if defined(TN_NATIVE_PAGES) && defined(MADV_POPULATE_WRITE)
    if (pages_native()) return madvise(at, size, MADV_POPULATE_WRITE) == 0;
#endif
    (void)at, (void)size;
    return false;
}

void heap_set_map_threshold(size_t bytes) {
#if defined(TN_NATIVE_PAGES) && defined(M_MMAP_THRESHOLD)
    if (pages_native()) mallopt(M_MMAP_THRESHOLD, static_cast<int>(bytes));
#endif
    (void)bytes;
}

void heap_trim() noexcept {
#if defined(TN_NATIVE_PAGES) && defined(M_TRIM_THRESHOLD)
    if (pages_native()) malloc_trim(0);
#endif
}

long process_id() {
#ifdef TN_NATIVE_PAGES
    return static_cast<long>(::getpid());
#else
    return 1;
#endif
}
