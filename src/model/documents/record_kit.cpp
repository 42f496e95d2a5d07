// Stream pieces shared by the sheet-item records.
#include "model/documents/record_kit.h"

namespace docs_kit {

int read_text(std::string* out, FILE* stream) {
    std::string text;
    for (;;) {
        int c = getc_unlocked(stream);
        if (c == EOF) return -1;
        if (c == 0) break;
        text.push_back(static_cast<char>(c));
    }
    *out = std::move(text);
    return 0;
}

int peek_byte(FILE* stream) {
    int c = getc_unlocked(stream);
    if (c != EOF) ungetc(c, stream);
    return c;
}

bool next_is(FILE* stream, uint8_t tag) {
    int c = getc_unlocked(stream);
    if (c == tag) return true;
    if (c != EOF) ungetc(c, stream);
    return false;
}

}  // namespace docs_kit
