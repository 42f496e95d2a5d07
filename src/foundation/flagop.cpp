#include "foundation/flagop.h"

#include "foundation/core.h"

namespace {

constexpr int kFlagOpCapacity = 100;

struct FlagOpStack {
    uint32_t masks[kFlagOpCapacity];
    int operations[kFlagOpCapacity];
    int depth = 0;
} flagop_stack;

}  // namespace

void flagop_reset() { flagop_stack.depth = 0; }

void flagop_push(uint32_t mask, int operation) {
    TN_ASSERT(flagop_stack.depth < kFlagOpCapacity);
    flagop_stack.masks[flagop_stack.depth] = mask;
    flagop_stack.operations[flagop_stack.depth] = operation;
    ++flagop_stack.depth;
}

void flagop_pop() {
    TN_ASSERT(flagop_stack.depth > 0);
    --flagop_stack.depth;
}

void flagop_apply(uint32_t* word) {
    TN_ASSERT(flagop_stack.depth > 0);
    uint32_t mask = flagop_stack.masks[flagop_stack.depth - 1];
    switch (flagop_stack.operations[flagop_stack.depth - 1]) {
        case FLAGOP_OR: *word |= mask; break;
        case FLAGOP_CLEAR: *word &= ~mask; break;
        case FLAGOP_SET: *word = mask; break;
        default: break;
    }
}
