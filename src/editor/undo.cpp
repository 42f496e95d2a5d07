// The one-level undo copy of a sheet document, kept as its binary file form.
#include "editor/undo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/items/item.h"

bool keep_document_copy(DocumentCopy* copy, Schema* schema) {
    drop_document_copy(copy);
    if (!schema) return false;
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (!stream) return false;
    // Writing stamps MODIFDATE with today's date: the document keeps its own.
    std::string modifdate = schema->modifdate;
    std::string creatdate = schema->creatdate;
    int result = write_Schema(schema, stream, 0);
    bool closed = std::fclose(stream) == 0;
    copy_field(schema->modifdate, sizeof schema->modifdate, modifdate.c_str());
    if (result == 0 && closed && buffer) {
        copy->bytes.assign(buffer, buffer + size);
        copy->modifdate = modifdate;
        copy->creatdate = creatdate;
        copy->valid = true;
    }
    std::free(buffer);
    return copy->valid;
}

namespace {

// The restored document shows the same part of the sheet at the same zoom.
void take_over_view(View* to, const View* from) {
    to->window = from->window;
    std::memcpy(to->area, from->area, sizeof to->area);
    to->centre = from->centre;
    to->zoom = from->zoom;
    to->origin = from->origin;
    to->position = from->position;
    to->dirty = 1;
}

}  // namespace

int restore_document_copy(DocumentCopy* copy, const Schema* current, Schema** out) {
    *out = nullptr;
    if (!copy->valid) return DOC_NO_SCHEMATIC;
    FILE* stream = fmemopen(copy->bytes.data(), copy->bytes.size(), "rb");
    if (!stream) return DOC_CANNOT_OPEN;
    Schema* made = nullptr;
    new_active_schema(&made);
    int result = read_Schema(made, stream);
    std::fclose(stream);
    if (result == NOT_MY_TAG) result = DOC_NOT_SCHEMATIC;
    if (result != 0) {
        free_Schema(made, false);
        drop_document_copy(copy);
        return result < 0 ? DOC_PREMATURE_EOF : result;
    }
    made->current = made->sheet;
    // Reading fills unset dates with today's: the copy keeps them as they were.
    copy_field(made->modifdate, sizeof made->modifdate, copy->modifdate.c_str());
    copy_field(made->creatdate, sizeof made->creatdate, copy->creatdate.c_str());
    if (current) {
        take_over_view(&made->view, &current->view);
        made->modified = current->modified;
    }
    drop_document_copy(copy);
    *out = made;
    return 0;
}

void drop_document_copy(DocumentCopy* copy) {
    copy->bytes.clear();
    copy->bytes.shrink_to_fit();
    copy->modifdate.clear();
    copy->creatdate.clear();
    copy->valid = false;
}
