#include "foundation/short_string.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "foundation/binary_stream.h"
#include "foundation/core.h"

ShortString::ShortString(ShortString&& other) noexcept { *this = std::move(other); }

ShortString& ShortString::operator=(const ShortString& other) {
    if (this != &other) set(other.get());
    return *this;
}

ShortString& ShortString::operator=(ShortString&& other) noexcept {
    if (this == &other) return *this;
    clear();
    heap_ = std::exchange(other.heap_, nullptr);
    std::memcpy(inline_, other.inline_, sizeof inline_);
    std::memset(other.inline_, 0, sizeof other.inline_);
    return *this;
}

void ShortString::set(const char* text) {
    if (text == nullptr) text = "";
    size_t n = std::strlen(text);
    // The new text may be the slot's own (a self-copy): copy before releasing.
    char* copy = n > INLINE_MAX ? str_dup(text) : nullptr;
    char small[INLINE_MAX + 1] = {};
    if (!copy) std::memcpy(small, text, n);
    clear();
    heap_ = copy;
    std::memcpy(inline_, small, sizeof inline_);
}

void ShortString::clear() {
    std::free(heap_);
    heap_ = nullptr;
    std::memset(inline_, 0, sizeof inline_);
}

int sstr_set(ShortString* slot, const char* text) {
    slot->set(text);
    return 0;
}

const char* sstr_get(const ShortString* slot) { return slot->get(); }

void sstr_clear(ShortString* slot) { slot->clear(); }

int read_sstr(ShortString* slot, FILE* stream) {
    std::string text;
    if (read_string(&text, stream) != 0) return -1;
    slot->set(text.c_str());
    return 0;
}

void write_sstr(const ShortString* slot, FILE* stream) { write_string(slot->get(), stream); }

RareString& RareString::operator=(const RareString& other) {
    if (this != &other) assign(other.c_str());
    return *this;
}

RareString& RareString::operator=(RareString&& other) noexcept {
    if (this != &other) {
        clear();
        text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
}

RareString& RareString::operator=(const char* text) {
    assign(text);
    return *this;
}

void RareString::assign(const char* text) {
    // The text may be the slot's own: copy before releasing.
    char* copy = text && *text ? str_dup(text) : nullptr;
    std::free(text_);
    text_ = copy;
}

void RareString::clear() {
    std::free(text_);
    text_ = nullptr;
}

bool operator==(const RareString& a, const char* b) {
    return std::strcmp(a.c_str(), b ? b : "") == 0;
}

int read_rare_string(RareString* slot, FILE* stream) {
    std::string text;
    if (read_string(&text, stream) != 0) return -1;
    *slot = text;
    return 0;
}
