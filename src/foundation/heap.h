#pragma once
// Fallible heap blocks for the containers. Unlike `new`, which ends the
// program through no_memory, these return null when memory is exhausted so
// that each container operation can report the failure as its contract says
// (a list add returns none, an edge add returns -1).
#include <cstddef>
#include <new>
#include <vector>

// A zero-filled block, or null.
void* heap_alloc(size_t size);
// Grows or shrinks a block; null (the old block untouched) when it fails.
void* heap_realloc(void* block, size_t size);
void heap_free(void* block);

// --- small blocks -------------------------------------------------------------
// List nodes and records are small and made and released by the million, a
// whole sheet at a time. They come from size classes of POOL_GRAIN bytes
// carved from large chunks: a block costs its size rounded up to the grain
// and no malloc call, and a released block waits in its chunk for the next
// block of the same class (a request takes the chunk at the front of its
// class, and there the block last released); a chunk none of whose blocks
// is in use any more is carved again from its start before a new chunk is
// made. Freeing a sheet hands nothing back to malloc: within a job the
// memory released is reused as it is; at the end of a job pool_give_back
// hands the chunks with no block in use back to the system (each chunk
// counts its blocks in use) and puts the rest in order. Once an eighth of
// the first chunk is used, a thread of the pool keeps the next one ready
// (mapped and touched) beside the work.
// Blocks above POOL_LARGEST bytes come from malloc.
//
// A block is aligned to POOL_GRAIN and not zero-filled; pool_free takes the
// size that pool_alloc was given. Only one thread (the GUI thread) makes and
// releases blocks: there is no lock, and debug builds assert that every
// call comes from the first caller's thread.
//
// Under AddressSanitizer every block comes from malloc and goes back to it,
// so that a use after release and a leak are still seen.
constexpr size_t POOL_GRAIN = 8;
constexpr size_t POOL_LARGEST = 512;
// A block of at least size bytes (a null size counts as one byte), or null
// when memory is exhausted.
void* pool_alloc(size_t size);
void pool_free(void* block, size_t size);
// False when blocks come from malloc (the sanitizer build).
bool pool_active();
// What a job's released blocks hold: chunks with no block in use go back
// to the system, and each class's released blocks are put in the order of
// memory, so that the next job's records lie as a first job's do instead of
// where the last job happened to release them. Its cost follows the
// released blocks; meant for the end of a job, never per edit.
void pool_give_back();
// pool_give_back, and malloc's free memory handed back to the system too.
void heap_give_back();
// pool_alloc as a throwing `operator new` answers: when memory is exhausted
// the new-handler (no_memory) gets its turn, else bad_alloc is thrown.
void* pool_new(size_t size);

// The base of the record kinds made and released by the hundred thousand
// (items, attributes): their records are pool blocks. It has no fields and
// adds nothing to a record's size. A record kind may not need more than
// POOL_GRAIN alignment, and a record must be released as the type it was
// made (the head has no virtual destructor, and the size handed back is
// the static type's).
struct PoolRecord {
    static void* operator new(size_t size) { return pool_new(size); }
    static void* operator new(size_t size, const std::nothrow_t&) noexcept {
        return pool_alloc(size);
    }
    static void operator delete(void* block, size_t size) noexcept { pool_free(block, size); }
};

// --- large tables -------------------------------------------------------------
// The working tables of a big job (the net builder's, read at random all
// through the job) are far larger than the processor's address cache reaches
// with ordinary 4 KiB pages: on a sheet of 100,000 parts nearly every look-up
// would also look up its page. A table from TABLE_HUGE bytes up gets a
// mapping of its own in whole 2 MiB pages where the system offers them on
// request (a refusal leaves ordinary pages), aligned to them; smaller ones
// come from malloc. Under AddressSanitizer every table comes from malloc.
constexpr size_t TABLE_HUGE = size_t{2} << 20;
// A block of at least size bytes; when memory is exhausted the
// new-handler gets its turn, else bad_alloc is thrown.
void* table_alloc(size_t size);
// Releases a block of table_alloc, given the size it was made with.
void table_free(void* block, size_t size) noexcept;

// While one lives in a thread, the tables released there are kept for the
// tables (and the small-block pool's chunks) made after them rather than
// handed back to the system; the last one to end hands them back. A net
// build opens one around its work, so that its later tables reuse the
// memory its earlier ones released instead of new memory, which the system
// must clear first; what it keeps never exceeds what it held at once.
struct TableReuse {
    TableReuse();
    // The same, for work that will take about `expected` bytes of tables:
    // from `fill_from` up, that much memory is mapped at once and made
    // ready by threads beside the work, so that its tables find their pages
    // already given by the system (the outermost one only). It pays only
    // on the largest sheets (a net build of a million parts a fifth
    // faster, nothing at 100,000; bench/README.md).
    explicit TableReuse(size_t expected, size_t fill_from = FILL_FROM);
    static constexpr size_t FILL_FROM = size_t{256} << 20;
    ~TableReuse();
    TableReuse(const TableReuse&) = delete;
    TableReuse& operator=(const TableReuse&) = delete;
};

template <class T>
struct TableAllocator {
    using value_type = T;
    TableAllocator() = default;
    template <class U>
    TableAllocator(const TableAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(table_alloc(n * sizeof(T))); }
    void deallocate(T* block, size_t n) noexcept { table_free(block, n * sizeof(T)); }
    template <class U>
    bool operator==(const TableAllocator<U>&) const {
        return true;
    }
};
template <class T>
using TableVector = std::vector<T, TableAllocator<T>>;

// The process's malloc settings, called once at start-up (the program's
// main, the benchmark programs). Blocks from 256 KiB up (the net builder's
// tables, large vectors) always get a mapping of their own, which goes back
// to the system when they are freed. By default malloc raises that bound
// after the first such block is freed, up to 32 MiB, and the tables of
// later jobs then come from the heap, where the small blocks made around
// them keep the freed space resident: a flat sheet of 50,000 parts peaked
// 4% higher. Does nothing under AddressSanitizer.
void tune_process_heap();

// Tests only: make the n-th allocation from now fail (1 = the next one);
// 0 lets every allocation through again. Counts heap_alloc, heap_realloc and
// pool_alloc alike.
void heap_fail_at(int n);
