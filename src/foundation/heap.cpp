#include "foundation/heap.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include <new>

#include "platform/memory_pages.h"

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

void* pool_new(size_t size) {
    for (;;) {
        if (void* block = pool_alloc(size)) return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

#ifndef TN_POOL_OFF
namespace {

// The whole 2 MiB pages a large table takes.
size_t table_mapping(size_t size) { return (size + TABLE_HUGE - 1) & ~(TABLE_HUGE - 1); }

// A range of `size` bytes (a multiple of TABLE_HUGE) aligned to
// TABLE_HUGE and marked for huge pages, or null.
void* map_table(size_t size) {
    void* block = pages_map(size, TABLE_HUGE);
    if (block) pages_prefer_huge(block, size);
    return block;
}

// The table mappings released within a job, kept for the tables made after
// them in the same job. A build makes and releases tables by the hundred,
// and memory mapped afresh is cleared page by page by the system (and,
// where the system's memory is lent by a host, taken back by it a few
// seconds after release and far costlier to touch again). A table takes
// the front of the smallest kept range it fits in; when none is large
// enough, it is mapped afresh and the kept ranges, largest first, are moved
// into it: the system moves their pages without copying them, and only
// what they do not cover is new memory. The small-block pool takes its new
// chunks from them too. Each thread keeps its own.
struct KeptRange {
    char* start;
    size_t size;
};
thread_local std::vector<KeptRange> kept_ranges;
thread_local int table_scopes = 0;

// The front of the smallest kept range of at least `size` bytes, or null.
void* take_kept_fitting(size_t size) {
    auto best = kept_ranges.end();
    for (auto range = kept_ranges.begin(); range != kept_ranges.end(); ++range)
        if (range->size >= size && (best == kept_ranges.end() || range->size < best->size))
            best = range;
    if (best == kept_ranges.end()) return nullptr;
    char* block = best->start;
    if (best->size == size)
        kept_ranges.erase(best);
    else
        *best = {block + size, best->size - size};
    return block;
}

// Moves `size` bytes of kept pages to `to`, in one call where they lie in
// one of the system's mappings, else 2 MiB at a time (every mapping made
// here starts and ends on such a boundary). How many bytes were moved.
size_t move_kept(char* from, size_t size, char* to) {
    if (pages_move(from, size, to)) return size;
    size_t moved = 0;
    for (; moved < size; moved += TABLE_HUGE)
        if (!pages_move(from + moved, TABLE_HUGE, to + moved)) break;
    return moved;
}

// Memory made ready for a job's tables before they reach it: an area
// mapped at the start, handed to the kept ranges, and touched from its
// front by threads of its own while the job works on what it has. Memory
// new to the process is cleared by the system at its first touch, and
// where the system's memory is lent by a host, memory the host took back
// costs several times more to touch again: a job of a million parts
// otherwise spends a tenth of its time waiting for it. The threads only
// ever touch the area, and stop before any of it moves or goes back.
class TableFiller {
public:
    TableFiller(char* area, size_t size) : area_(area), size_(size) {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned count = cores > 1 ? std::min(cores - 1, 4u) : 1u;
        try {
            for (unsigned k = 0; k < count; ++k) threads_.emplace_back([this] { run(); });
        } catch (...) {
            // Fewer threads (or none) only leave more for the first touch.
        }
    }
    ~TableFiller() { stop(); }
    TableFiller(const TableFiller&) = delete;
    TableFiller& operator=(const TableFiller&) = delete;

    void stop() {
        stop_.store(true);
        for (std::thread& thread : threads_) thread.join();
        threads_.clear();
    }

private:
    void run() {
        // 2 MiB at a time: each call holds the process's map of memory,
        // which the job's own mapping calls then wait for.
        while (!stop_.load(std::memory_order_relaxed)) {
            const size_t at = next_.fetch_add(TABLE_HUGE);
            if (at >= size_) return;
            if (!pages_make_resident(area_ + at, std::min(TABLE_HUGE, size_ - at)))
                return;  // a system without it: the tables touch their pages themselves
        }
    }

    char* area_;
    size_t size_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};
thread_local TableFiller* table_filler = nullptr;

void stop_filling() {
    if (table_filler) table_filler->stop();
}

void* take_kept(size_t size) {
    if (kept_ranges.empty()) return nullptr;
    if (void* block = take_kept_fitting(size)) return block;
    stop_filling();  // the kept pages are about to move
    auto* area = static_cast<char*>(map_table(size));
    if (!area) return nullptr;
    for (size_t filled = 0; filled < size && !kept_ranges.empty();) {
        auto largest = std::max_element(
            kept_ranges.begin(), kept_ranges.end(),
            [](const KeptRange& a, const KeptRange& b) { return a.size < b.size; });
        const size_t wanted = std::min(largest->size, size - filled);
        const size_t moved = move_kept(largest->start, wanted, area + filled);
        filled += moved;
        if (moved == largest->size)
            kept_ranges.erase(largest);
        else
            *largest = {largest->start + moved, largest->size - moved};
        // Where the system refuses, the rest of the area is new memory.
        if (moved < wanted) break;
    }
    return area;
}

// Keeps a released range; with no memory left to note it, it goes back.
void keep_range(char* start, size_t size) noexcept {
    try {
        kept_ranges.push_back({start, size});
    } catch (...) {
        stop_filling();
        pages_release(start, size);
    }
}

}  // namespace
#endif

TableReuse::TableReuse() {
#ifndef TN_POOL_OFF
    ++table_scopes;
#endif
}

TableReuse::TableReuse(size_t expected, size_t fill_from) : TableReuse() {
#ifndef TN_POOL_OFF
    if (table_scopes > 1 || table_filler || expected < fill_from || expected > SIZE_MAX / 2 ||
        !pages_native())
        return;
    const size_t size = table_mapping(expected);
    auto* area = static_cast<char*>(map_table(size));
    if (!area) return;  // the tables map their own, as without it
    try {
        kept_ranges.push_back({area, size});
        table_filler = new TableFiller(area, size);
    } catch (...) {
        if (kept_ranges.empty() || kept_ranges.back().start != area) pages_release(area, size);
    }
#else
    (void)expected, (void)fill_from;
#endif
}

TableReuse::~TableReuse() {
#ifndef TN_POOL_OFF
    if (--table_scopes > 0) return;
    delete table_filler;  // its threads stop before the ranges go back
    table_filler = nullptr;
    for (const KeptRange& range : kept_ranges) pages_release(range.start, range.size);
    kept_ranges.clear();
    kept_ranges.shrink_to_fit();
#endif
}

void* table_alloc(size_t size) {
#ifndef TN_POOL_OFF
    if (size >= TABLE_HUGE && size <= SIZE_MAX - 2 * TABLE_HUGE) {
        if (void* block = take_kept(table_mapping(size))) return block;
        for (;;) {
            if (void* block = map_table(table_mapping(size))) return block;
            std::new_handler handler = std::get_new_handler();
            if (!handler) throw std::bad_alloc();
            handler();
        }
    }
#endif
    return ::operator new(size);
}

void table_free(void* block, size_t size) noexcept {
    (void)size;
    if (!block) return;
#ifndef TN_POOL_OFF
    if (size >= TABLE_HUGE && size <= SIZE_MAX - 2 * TABLE_HUGE) {
        // Only the native layer hands back or moves part of a range.
        if (table_scopes > 0 && pages_native())
            keep_range(static_cast<char*>(block), table_mapping(size));
        else
            pages_release(block, table_mapping(size));
        return;
    }
#endif
    ::operator delete(block);
}

#ifdef TN_POOL_OFF

void tune_process_heap() {}

// The sized global operators rather than malloc: the sanitizer then also
// checks that a block is released with the size it was made with, which
// the pool relies on to find its size class.
void* pool_alloc(size_t size) {
    if (planned_failure()) return nullptr;
    return ::operator new(size ? size : 1, std::nothrow);
}

void pool_free(void* block, size_t size) {
    if (!block) return;
#if defined(__cpp_sized_deallocation)
    ::operator delete(block, size ? size : 1);
#else
    (void)size;
    ::operator delete(block);
#endif
}

bool pool_active() { return false; }

void pool_give_back() {}

#else

void tune_process_heap() {
    // Setting the threshold also ends malloc's own raising of it.
    heap_set_map_threshold(256 << 10);
}

namespace {

static_assert(POOL_GRAIN >= sizeof(void*) && POOL_GRAIN % alignof(void*) == 0);
static_assert(POOL_LARGEST % POOL_GRAIN == 0);

// Chunks are 2 MiB, aligned to 2 MiB and marked for transparent huge
// pages where the system offers them on request: a whole chunk is then
// one page fault and one TLB entry instead of 512. Walking a sheet's
// records and lists touches pages all over the pool, and faulting in tens
// of megabytes page by page costs more than the walks themselves.
constexpr size_t CHUNK_SIZE = size_t{2} << 20;
constexpr size_t CLASS_COUNT = POOL_LARGEST / POOL_GRAIN + 1;
// No block is of class 0: its place in the lists of chunks by class links
// the emptied chunks instead (see retire_empty).
constexpr size_t EMPTIED = 0;

// A released block, linked through its first word.
struct FreeBlock {
    FreeBlock* next;
};

// The start of every chunk: how many of its blocks are in use, and its
// released blocks by class. The chunks holding released blocks of a class
// are linked through their heads, so that a request takes a block of the
// chunk at the front of its class and a chunk whose blocks are all
// released again can go back to the system without a walk over its blocks.
struct ChunkHead {
    size_t live;
    FreeBlock* free[CLASS_COUNT];  // released blocks of the class, last released first
    ChunkHead* next_with[CLASS_COUNT];
    ChunkHead* prev_with[CLASS_COUNT];
};
// Carving starts past the head, on a cache line of its own.
constexpr size_t HEAD_BYTES = (sizeof(ChunkHead) + 63) / 64 * 64;
static_assert(HEAD_BYTES % POOL_GRAIN == 0 && HEAD_BYTES < CHUNK_SIZE / 64);

ChunkHead* head_of(const void* block) {
    return reinterpret_cast<ChunkHead*>(reinterpret_cast<uintptr_t>(block) &
                                        ~(uintptr_t{CHUNK_SIZE} - 1));
}

// Per class: the chunks holding released blocks of it, the front one first;
// at EMPTIED, the emptied chunks, the last emptied first.
ChunkHead* with_free[CLASS_COUNT];

void link_with(ChunkHead* head, size_t cls) {
    head->prev_with[cls] = nullptr;
    head->next_with[cls] = with_free[cls];
    if (with_free[cls]) with_free[cls]->prev_with[cls] = head;
    with_free[cls] = head;
}

void unlink_with(ChunkHead* head, size_t cls) {
    ChunkHead* prev = head->prev_with[cls];
    ChunkHead* next = head->next_with[cls];
    if (prev)
        prev->next_with[cls] = next;
    else
        with_free[cls] = next;
    if (next) next->prev_with[cls] = prev;
}

char* carve_next = nullptr;  // not owned: the unused rest of the newest chunk
char* carve_end = nullptr;

// A chunk whose last block in use was released (the chunk being carved
// aside) is taken out of the classes' lists and kept, linked in
// with_free[EMPTIED], to be carved again from its start before any new
// chunk is made. A whole sheet released leaves most of its chunks so: the
// next sheet's records are then carved one after the other in the order
// they are made, as a first job's are, instead of coming from blocks
// released in whatever order the last sheet was walked, each far from the
// one before.
void retire_empty(ChunkHead* head) {
    for (size_t cls = 1; cls < CLASS_COUNT; ++cls)
        if (head->free[cls]) {
            unlink_with(head, cls);
            head->free[cls] = nullptr;
        }
    head->next_with[EMPTIED] = with_free[EMPTIED];
    with_free[EMPTIED] = head;
}

// Every chunk taken and not given back (a plain vector: its storage comes
// from malloc, not from the pool).
std::vector<char*>& chunks() {
    static auto* all = new std::vector<char*>;
    return *all;
}

// A new chunk of CHUNK_SIZE bytes aligned to its size, or null.
char* new_chunk() {
    static_assert(CHUNK_SIZE == TABLE_HUGE);
    return static_cast<char*>(map_table(CHUNK_SIZE));
}

size_t class_of(size_t size) { return size ? (size + POOL_GRAIN - 1) / POOL_GRAIN : 1; }

// The thread of the first call; the pool has no lock, so any other thread
// would corrupt the free lists.
bool on_pool_thread() {
    static const std::thread::id owner = std::this_thread::get_id();
    return owner == std::this_thread::get_id();
}

// Chunks made ready ahead, by a thread of its own. The first touch of a
// chunk has the system zero its 2 MiB, which on a virtual machine costs a
// millisecond or more, most of the system time of a big job: better spent
// beside the job than in it. Once an eighth of the first chunk is carved, the
// thread is asked for the next, and from then on for one more as soon as
// the pool takes one, so that a job that grows finds each chunk ready; the
// pool makes its own when none is ready yet (the thread's is then kept for
// the next time). At most one chunk waits ready, so a job holds at most one
// chunk more than it uses. In a child made by fork (which has no such
// thread), and where no thread can be started, the pool makes every chunk
// itself. The thread touches nothing of the pool but the chunks it maps.
class ChunkMaker {
public:
    // The chunk made ready, or null.
    char* take() { return ready_.exchange(nullptr); }
    // Asks for a chunk, unless one is ready or being made.
    void ask() {
        if (owner_ == 0) start();
        if (owner_ != process_id() || ready_.load() != nullptr) return;
        bool idle = false;
        if (asked_.compare_exchange_strong(idle, true)) asked_.notify_one();
    }

private:
    void start() {
        try {
            std::thread([this] { run(); }).detach();
            owner_ = process_id();
        } catch (...) {
            owner_ = -1;  // no thread: the pool makes its chunks itself
        }
    }

    [[noreturn]] void run() {
        for (;;) {
            asked_.wait(false);
            char* chunk = new_chunk();
            // One byte of each page: a huge page takes the first touch,
            // ordinary pages (where the system refused) each their own.
            if (chunk)
                for (size_t at = 0; at < CHUNK_SIZE; at += 4096)
                    static_cast<volatile char*>(chunk)[at] = 0;
            ready_.store(chunk);
            asked_.store(false);
        }
    }

    std::atomic<char*> ready_{nullptr};
    std::atomic<bool> asked_{false};
    long owner_ = 0;  // the process whose thread makes chunks; -1 none can
};

// Never destroyed: its thread may be mapping a chunk when the process ends.
ChunkMaker& chunk_maker() {
    static ChunkMaker* one = new ChunkMaker;
    return *one;
}

// The address from which carving asks for the next chunk.
uintptr_t ask_from = UINTPTR_MAX;

// A new block of `bytes` from the newest chunk, or from a new chunk when the
// newest has not room enough (its rest, under POOL_LARGEST bytes, is left).
void* carve(size_t bytes) {
    if (static_cast<size_t>(carve_end - carve_next) < bytes) {
        // Checked here, once per chunk, even where asserts are compiled out.
        if (!on_pool_thread()) {
            std::fputs("small-block pool used from a second thread\n", stderr);
            std::abort();
        }
        bool first = carve_end == nullptr;
        char* chunk = nullptr;
        if (ChunkHead* empty = with_free[EMPTIED]) {
            // Already mapped and touched: no new chunk is wanted while
            // emptied ones remain.
            with_free[EMPTIED] = empty->next_with[EMPTIED];
            chunk = reinterpret_cast<char*>(empty);
        } else {
            // A table the job released is already touched: its pages
            // serve before new ones (see take_kept).
            chunk = static_cast<char*>(take_kept_fitting(CHUNK_SIZE));
            if (!chunk) chunk = chunk_maker().take();
            if (!chunk) chunk = new_chunk();
            if (!chunk) return nullptr;
            chunks().push_back(chunk);
        }
        new (chunk) ChunkHead{};
        carve_next = chunk + HEAD_BYTES;
        carve_end = chunk + CHUNK_SIZE;
        ask_from = with_free[EMPTIED]
                       ? UINTPTR_MAX
                       : reinterpret_cast<uintptr_t>(chunk) + (first ? CHUNK_SIZE / 8 : 0);
    }
    void* block = carve_next;
    carve_next += bytes;
    ++head_of(block)->live;
    if (reinterpret_cast<uintptr_t>(carve_next) >= ask_from) {
        ask_from = UINTPTR_MAX;
        chunk_maker().ask();
    }
    return block;
}

}  // namespace

void* pool_alloc(size_t size) {
    assert(on_pool_thread());
    if (planned_failure()) return nullptr;
    if (size > POOL_LARGEST) return std::malloc(size);
    size_t cls = class_of(size);
    if (ChunkHead* head = with_free[cls]) {
        FreeBlock* block = head->free[cls];
        head->free[cls] = block->next;
        // Released blocks are cold: the next request of the class reads
        // the next one's link.
        if (block->next)
            __builtin_prefetch(block->next);
        else
            unlink_with(head, cls);
        ++head->live;
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
    ChunkHead* head = head_of(block);
    auto* released = static_cast<FreeBlock*>(block);
    released->next = head->free[cls];
    if (!released->next) link_with(head, cls);
    head->free[cls] = released;
    if (--head->live == 0 && reinterpret_cast<char*>(head) != carve_end - CHUNK_SIZE)
        retire_empty(head);
}

bool pool_active() { return true; }

void pool_give_back() {
    assert(on_pool_thread());
    stop_filling();  // chunks carved from its area may go back below
    // The chunk being carved stays, whatever it holds: carving goes on there.
    const char* carving = carve_end ? carve_end - CHUNK_SIZE : nullptr;
    std::vector<char*>& all = chunks();
    with_free[EMPTIED] = nullptr;  // every one of them goes back below
    std::erase_if(all, [carving](char* chunk) {
        auto* head = reinterpret_cast<ChunkHead*>(chunk);
        if (head->live != 0 || chunk == carving) return false;
        for (size_t cls = 1; cls < CLASS_COUNT; ++cls)
            if (head->free[cls]) unlink_with(head, cls);
        pages_release(chunk, CHUNK_SIZE);
        return true;
    });
    // The chunks left in the order of memory in each class: the next blocks
    // of a class come from one chunk after the other as carving hands them
    // out, whatever order the last job released them in.
    std::vector<ChunkHead*> holding;
    for (size_t cls = 1; cls < CLASS_COUNT; ++cls) {
        holding.clear();
        for (ChunkHead* head = with_free[cls]; head; head = head->next_with[cls])
            holding.push_back(head);
        std::sort(holding.begin(), holding.end(), std::greater<>());
        with_free[cls] = nullptr;
        for (ChunkHead* head : holding) link_with(head, cls);
    }
}

#endif

void heap_give_back() {
    pool_give_back();
#ifndef TN_POOL_OFF
    heap_trim();
#endif
}
