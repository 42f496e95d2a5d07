// Indentation, points and sizes of the ASCII source writers.
#include "model/items/ascii_writer.h"

#include "foundation/text_forms.h"

namespace {

// "(KEYWORD a b )" at a level, or inline with a trailing blank. %d of an
// int is the same in every locale.
void write_pair(const char* keyword, long a, long b, FILE* stream, int level) {
    if (level >= 0) {
        write_indent(stream, level);
        std::fprintf(stream, "(%s %ld %ld )", keyword, a, b);
        put_newline(stream);
    } else {
        std::fprintf(stream, "(%s %ld %ld ) ", keyword, a, b);
    }
}

}  // namespace

void write_indent(FILE* stream, int level) {
    for (int i = 0; i < level; ++i) std::fputs("  ", stream);
}

void write_POS(Point p, FILE* stream, int level) { write_pair("POS", p.x, p.y, stream, level); }

void write_SIZE16(TextSize size, FILE* stream, int level) {
    write_pair("SIZE", size.width, size.height, stream, level);
}

void write_SIZE(int32_t width, int32_t height, FILE* stream, int level) {
    write_pair("SIZE", width, height, stream, level);
}
