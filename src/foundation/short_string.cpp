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
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    std::memset(other.bytes_, 0, sizeof other.bytes_);
    return *this;
}

void ShortString::set(const char* text) {
    if (text == nullptr) text = "";
    size_t n = std::strlen(text);
    // The new text may be the slot's own (a self-copy): copy before releasing.
    char slot[INLINE_MAX + 1] = {};
    if (n > INLINE_MAX) {
        char* copy = str_dup(text);
        std::memcpy(slot, &copy, sizeof copy);
        slot[MARK] = 1;
    } else {
        std::memcpy(slot, text, n);
    }
    clear();
    std::memcpy(bytes_, slot, sizeof bytes_);
}

void ShortString::clear() {
    if (on_heap()) std::free(heap());
    std::memset(bytes_, 0, sizeof bytes_);
}

int sstr_set(ShortString* slot, const char* text) {
    slot->set(text);
    return 0;
}

const char* sstr_get(const ShortString* slot) { return slot->get(); }

void sstr_clear(ShortString* slot) { slot->clear(); }

int read_sstr(ShortString* slot, FILE* stream) {
    // Mostly the string lies whole in the stream's buffer: set from there.
    if (const char* buffered = take_buffered_string(stream)) {
        slot->set(buffered);
        return 0;
    }
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
    // Nearly every one stored is empty: its NUL alone.
    if (take_byte(stream, 0)) {
        slot->clear();
        return 0;
    }
    std::string text;
    if (read_string(&text, stream) != 0) return -1;
    *slot = text;
    return 0;
}
