#include "foundation/text_forms.h"

#include <cstring>

#include "foundation/services.h"

namespace {
std::function<int()> newline_hook;
}  // namespace

void set_newline_hook(std::function<int()> hook) { newline_hook = std::move(hook); }

void put_newline(FILE* stream) {
    if (newline_hook && newline_hook() != 0) std::fputc('\r', stream);
    std::fputc('\n', stream);
}

std::string quote_string(const char* text) {
    std::string quoted = "'";
    for (const char* p = text ? text : ""; *p; ++p) {
        quoted += *p;
        if (*p == '\'') quoted += '\'';
    }
    quoted += '\'';
    return quoted;
}

void unquote_string(std::string& out, const char* quoted) {
    out.clear();
    size_t n = quoted ? std::strlen(quoted) : 0;
    if (n < 2) return;
    const char* p = quoted + 1;
    const char* end = quoted + n - 1;
    while (p < end) {
        if (*p == '\'') {
            if (p + 1 < end && p[1] == '\'') {
                ++p;
            } else {
                services().debug_write("ERROR!!!!!!\n");
            }
        }
        out += *p++;
    }
}

int pad_center(std::string& text, int width, int max, bool no_centring) {
    if (max >= 0 && static_cast<int>(text.size()) >= max) {
        text.resize(static_cast<size_t>(max));
    } else if (!no_centring && static_cast<int>(text.size()) < width) {
        int room = width - static_cast<int>(text.size());
        int left = room / 2;
        text = std::string(static_cast<size_t>(left), ' ') + text +
               std::string(static_cast<size_t>(room - left), ' ');
    }
    return static_cast<int>(text.size());
}
