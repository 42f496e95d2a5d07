// Stream pieces shared by the sheet-item records.
#include "model/documents/record_kit.h"

#include "foundation/binary_stream.h"
#include "foundation/list.h"
#include "model/items/view.h"

namespace docs_kit {

void copy_head(SchItem* copy, const SchItem* source) {
    *copy = *source;
    copy->prev = copy->next = nullptr;
    copy->id = 0;
}

double outline_distance(Point p, const Rect& r, double tolerance) {
    double d = 0.0;
    return rect_edge_distance(p, &d, r, tolerance) == RECT_EDGE_FAR ? d : 0.0;
}

int read_text(std::string* out, FILE* stream) {
    std::string text;
    if (read_string(&text, stream) != 0) return -1;
    out->swap(text);
    return 0;
}

}  // namespace docs_kit
