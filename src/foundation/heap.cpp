#include "foundation/heap.h"

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define TN_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TN_POOL_OFF 1
#endif
#endif

namespace {

int fail_countdown = 0;  // 0: no failure planned

bool planned_failure() {
    if (fail_countdown == 0) return false;
    return --fail_countdown == 0;
}

}  // namespace

void* heap_alloc(size_t size) {
    if (planned_failure()) return nullptr;
    return std::calloc(1, size ? size : 1);
}

void* heap_realloc(void* block, size_t size) {
    if (planned_failure()) return nullptr;
    return std::realloc(block, size ? size : 1);
}

void heap_free(void* block) { std::free(block); }

void heap_fail_at(int n) { fail_countdown = n > 0 ? n : 0; }

#ifdef TN_POOL_OFF

void tune_process_heap() {}

void* pool_alloc(size_t size) {
    if (planned_failure()) return nullptr;
    return std::malloc(size ? size : 1);
}

void pool_free(void* block, size_t) { std::free(block); }

bool pool_active() { return false; }

#else

void tune_process_heap() {
    // Fixing the thresholds also ends glibc's own adjustment of them.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

namespace {

static_assert(POOL_GRAIN >= sizeof(void*) && POOL_GRAIN % alignof(void*) == 0);
static_assert(POOL_LARGEST % POOL_GRAIN == 0);

// 1 MiB: the refill below runs once per several thousand records, and a
// chunk's rest left unused is small beside it.
constexpr size_t CHUNK_SIZE = size_t{1} << 20;
constexpr size_t CLASS_COUNT = POOL_LARGEST / POOL_GRAIN + 1;  // class 0 unused

// A released block, linked through its first word.
struct FreeBlock {
    FreeBlock* next;
};

FreeBlock* free_blocks[CLASS_COUNT];  // per class: released blocks, last released first
char* carve_next = nullptr;           // not owned: the unused rest of the newest chunk
char* carve_end = nullptr;

size_t class_of(size_t size) { return size ? (size + POOL_GRAIN - 1) / POOL_GRAIN : 1; }

// The thread of the first call; the pool has no lock, so any other thread
// would corrupt the free lists.
bool on_pool_thread() {
    static const std::thread::id owner = std::this_thread::get_id();
    return owner == std::this_thread::get_id();
}

// A new block of `bytes` from the newest chunk, or from a new chunk when the
// newest has not room enough (its rest, under POOL_LARGEST bytes, is left).
void* carve(size_t bytes) {
    if (static_cast<size_t>(carve_end - carve_next) < bytes) {
        // Checked here, once per chunk, even where asserts are compiled out.
        if (!on_pool_thread()) {
            std::fputs("small-block pool used from a second thread\n", stderr);
            std::abort();
        }
        auto* chunk = static_cast<char*>(std::malloc(CHUNK_SIZE));
        if (!chunk) return nullptr;
        carve_next = chunk;
        carve_end = chunk + CHUNK_SIZE;
    }
    void* block = carve_next;
    carve_next += bytes;
    return block;
}

}  // namespace

void* pool_alloc(size_t size) {
    assert(on_pool_thread());
    if (planned_failure()) return nullptr;
    if (size > POOL_LARGEST) return std::malloc(size);
    size_t cls = class_of(size);
    if (FreeBlock* block = free_blocks[cls]) {
        free_blocks[cls] = block->next;
        return block;
    }
    return carve(cls * POOL_GRAIN);
}

void pool_free(void* block, size_t size) {
    assert(on_pool_thread());
    if (!block) return;
    if (size > POOL_LARGEST) {
        std::free(block);
        return;
    }
    size_t cls = class_of(size);
    auto* released = static_cast<FreeBlock*>(block);
    released->next = free_blocks[cls];
    free_blocks[cls] = released;
}

bool pool_active() { return true; }

#endif
