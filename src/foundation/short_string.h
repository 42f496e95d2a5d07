#pragma once
// ShortString: the compact name slot of pins, parts, vector sets and
// prefixes. Texts of up to 15 characters are kept inline and cost no heap
// block; longer ones are a heap copy owned by the slot. The slot's layout
// never reaches a file: on the stream it is a plain string (text + NUL).
//
// An all-zero slot is the empty name, so records that are zero-filled start
// with valid slots. Copies are deep; the destructor releases the heap copy.
#include <cstdio>
#include <cstring>
#include <string>

class ShortString {
public:
    static constexpr int INLINE_MAX = 15;  // longest text kept inline

    ShortString() = default;
    explicit ShortString(const char* text) { set(text); }
    ShortString(const ShortString& other) { set(other.get()); }
    ShortString(ShortString&& other) noexcept;
    ShortString& operator=(const ShortString& other);
    ShortString& operator=(ShortString&& other) noexcept;
    ~ShortString() { clear(); }

    // The text; never null. Valid until the slot is set or cleared.
    const char* get() const { return on_heap() ? heap() : bytes_; }
    // Replaces the text (a held heap copy is released); null is the empty text.
    void set(const char* text);
    // Back to the empty name, releasing a heap copy.
    void clear();
    bool on_heap() const { return bytes_[MARK] != 0; }
    bool empty() const { return get()[0] == '\0'; }

private:
    // The last byte marks a heap copy: an inline text leaves it 0 (its NUL
    // or the padding after it); a heap copy sets it and keeps the pointer
    // in the first bytes.
    static constexpr int MARK = INLINE_MAX;
    char* heap() const {
        char* text;
        std::memcpy(&text, bytes_, sizeof text);
        return text;
    }
    char bytes_[INLINE_MAX + 1] = {};
};
static_assert(sizeof(ShortString) == 16 && sizeof(char*) <= ShortString::INLINE_MAX);

// The verb forms the records use.
int sstr_set(ShortString* slot, const char* text);  // returns 0
const char* sstr_get(const ShortString* slot);
void sstr_clear(ShortString* slot);
// Reads a whole string, however long, into the slot; on -1 the
// slot is unchanged.
int read_sstr(ShortString* slot, FILE* stream);
void write_sstr(const ShortString* slot, FILE* stream);

// RareString: a text slot of one pointer for the fields of a record that
// are almost always empty (a placed part's sheet path and extra text), so
// that the empty text costs neither a heap block nor the room of a
// std::string. It reads like the std::string such a field would be: c_str()
// is never null, empty() is the empty text. Copies are deep.
class RareString {
public:
    RareString() = default;
    RareString(const RareString& other) { assign(other.c_str()); }
    RareString(RareString&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
    RareString& operator=(const RareString& other);
    RareString& operator=(RareString&& other) noexcept;
    RareString& operator=(const char* text);  // null is the empty text
    RareString& operator=(const std::string& text) { return *this = text.c_str(); }
    ~RareString() { clear(); }

    const char* c_str() const { return text_ ? text_ : ""; }
    bool empty() const { return text_ == nullptr; }
    void clear();

    friend bool operator==(const RareString& a, const char* b);
    friend bool operator==(const RareString& a, const RareString& b) { return a == b.c_str(); }
    friend bool operator==(const RareString& a, const std::string& b) { return a == b.c_str(); }

private:
    void assign(const char* text);
    char* text_ = nullptr;  // owned (malloc'd) copy of a non-empty text, or null
};

// Reads a whole string, however long, into the slot; on -1 the slot is
// unchanged.
int read_rare_string(RareString* slot, FILE* stream);
