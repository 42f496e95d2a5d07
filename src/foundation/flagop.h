#pragma once
// The stack of pending flag operations. A flag pass pushes one (mask,
// operation) pair, runs an item dispatcher whose routines apply the top pair
// to each item's 32-bit state word (nested records apply the same pair to
// their children), then pops. Passes nest; the stack holds 100 pairs, and
// going beyond it, popping or applying with nothing pushed stops the program
// with an assertion.
#include <cstdint>

enum : int {
    FLAGOP_OR = 1,     // word |= mask
    FLAGOP_CLEAR = 2,  // word &= ~mask
    FLAGOP_SET = 3,    // word = mask
};                     // any other code leaves the word unchanged

void flagop_reset();
void flagop_push(uint32_t mask, int operation);
void flagop_pop();
// Applies the top pair to the word.
void flagop_apply(uint32_t* word);

// The filter test of all item writers and drawers: true when mask is 0 or
// shares a bit with word.
inline bool mask_matches(uint32_t word, uint32_t mask) { return mask == 0 || (word & mask) != 0; }

// Pushes a pair for the life of a scope.
class FlagOpScope {
public:
    FlagOpScope(uint32_t mask, int operation) { flagop_push(mask, operation); }
    ~FlagOpScope() { flagop_pop(); }
    FlagOpScope(const FlagOpScope&) = delete;
    FlagOpScope& operator=(const FlagOpScope&) = delete;
};
