#pragma once
// ShortString: the compact name slot of pins, parts, vector sets and
// prefixes. Texts of up to 7 characters are kept inline and cost no heap
// block; longer ones are a heap copy owned by the slot. The slot's layout
// never reaches a file: on the stream it is a plain string (text + NUL).
//
// An all-zero slot is the empty name, so records that are zero-filled start
// with valid slots. Copies are deep; the destructor releases the heap copy.
#include <cstdio>

class ShortString {
public:
    static constexpr int INLINE_MAX = 7;  // longest text kept inline

    ShortString() = default;
    explicit ShortString(const char* text) { set(text); }
    ShortString(const ShortString& other) { set(other.get()); }
    ShortString(ShortString&& other) noexcept;
    ShortString& operator=(const ShortString& other);
    ShortString& operator=(ShortString&& other) noexcept;
    ~ShortString() { clear(); }

    // The text; never null. Valid until the slot is set or cleared.
    const char* get() const { return heap_ ? heap_ : inline_; }
    // Replaces the text (a held heap copy is released); null is the empty text.
    void set(const char* text);
    // Back to the empty name, releasing a heap copy.
    void clear();
    bool on_heap() const { return heap_ != nullptr; }
    bool empty() const { return get()[0] == '\0'; }

private:
    char* heap_ = nullptr;                  // owned (malloc'd) copy of a long text, or null
    char inline_[INLINE_MAX + 1] = {};      // short text and its NUL
};

// The verb forms the records use.
int sstr_set(ShortString* slot, const char* text);  // returns 0
const char* sstr_get(const ShortString* slot);
void sstr_clear(ShortString* slot);
// Reads a whole string, however long, into the slot; on -1 the
// slot is unchanged.
int read_sstr(ShortString* slot, FILE* stream);
void write_sstr(const ShortString* slot, FILE* stream);
