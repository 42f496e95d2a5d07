// The document layer: the active schema, opening and saving schematic and
// title-block files, file kinds, and the empty and modified states.
#include "model/documents/document.h"

#include <cstring>
#include <functional>
#include <memory>
#include <utility>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/edit_state.h"
#include "model/documents/owners.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/view.h"

namespace {

std::string last_written;  // save_schema_file's last completed name

struct FileCloser {
    void operator()(FILE* stream) const { std::fclose(stream); }
};
using InFile = std::unique_ptr<FILE, FileCloser>;

// An existing file is replaced only when the user agrees; the name may be
// changed in the question. 0, or DOC_CANCELLED.
int confirm_replace(std::string* file) {
    if (file_access(file->c_str(), 0) != 0) return 0;
    std::string confirmed;
    if (!services().confirm_overwrite(*file, &confirmed)) return DOC_CANCELLED;
    if (!confirmed.empty()) *file = confirmed;
    return 0;
}

// Writes a file through a temporary one; the old file becomes the ".BAK"
// (when backups are on) only once the new one is complete.
int write_file(const std::string& file, const char* mode, FileKind kind,
               const std::function<int(FILE*)>& write, FileSet* set = nullptr) {
    return write_atomically(file.c_str(), mode, write, true, ".BAK", set, kind);
}

// A reader's short read is a file cut short.
int load_code(int result) { return result == -1 ? DOC_PREMATURE_EOF : result; }

bool list_empty(const List* list) { return !list || list->count == 0; }

}  // namespace

// --- the active document ---------------------------------------------------------------------

void new_active_schema(Schema** schema) {
    free_Schema(*schema, false);
    *schema = nullptr;
    Schema* made = new_Schema();
    if (!made) no_memory();
    view_init(&made->view);
    made->sheet = new_Sheet();
    if (!made->sheet) no_memory();
    made->current = made->sheet;
    made->library = new_Library();
    set_Library_name(made->library, "$ACTIVE$");
    *schema = made;
}

int load_schema_file(Schema** schema, const char* name) {
    std::string file = make_kind_file_name(name ? name : "", KIND_SCHEMA, 1);
    InFile stream(open_file(file.c_str(), "rb"));
    if (!stream) return DOC_CANNOT_OPEN;
    new_active_schema(schema);
    Owner<Schema> loaded(std::exchange(*schema, nullptr));
    int result = read_Schema(loaded.get(), stream.get());
    loaded->current = loaded->sheet;
    if (result == NOT_MY_TAG) result = DOC_NOT_SCHEMATIC;
    result = load_code(result);
    if (result == 0) *schema = loaded.release();
    return result;
}

int save_schema_file(Schema* schema, const char* name, bool ask, FileSet* set) {
    if (!schema) return DOC_NO_SCHEMATIC;
    std::string file = make_kind_file_name(name ? name : "", KIND_SCHEMA, 2);
    if (ask) {
        if (int code = confirm_replace(&file); code != 0) {
            last_written.clear();
            return code;
        }
    }
    last_written = file;
    return write_file(
        file, "wb", FileKind::SHEET, [&](FILE* out) { return write_Schema(schema, out, 0); }, set);
}

int save_schema_window(Schema* schema, const char* name) {
    if (!schema) return DOC_NO_SCHEMATIC;
    std::string file = make_kind_file_name(name ? name : "", KIND_SCHEMA, 2);
    {
        FlagOpScope clear(STATE_SELECTED, FLAGOP_CLEAR);
        flag_Schema(schema);
    }
    mark_edit_filter(schema, STATE_WINDOW_SAVE);
    uint32_t mask = 0;
    if (schema->view.select.size() < 3)
        mask = STATE_WINDOW_SAVE;
    else if (select_Schema(schema, STATE_SELECTED, FLAGOP_OR, STATE_WINDOW_SAVE))
        mask = STATE_SELECTED;
    int result = DOC_WINDOW_EMPTY;
    if (mask != 0)
        result = write_file(file, "wb", FileKind::SHEET,
                            [&](FILE* out) { return write_Schema(schema, out, mask); });
    // The marks are the save's own: they go whatever the result.
    FlagOpScope clear(STATE_SELECTED | STATE_WINDOW_SAVE, FLAGOP_CLEAR);
    flag_Schema(schema);
    return result;
}

int decompile_schema(Schema* schema, const char* name) {
    if (!schema) return DOC_NO_SCHEMATIC;
    std::string file = make_kind_file_name(name ? name : "", KIND_ASCII, 2);
    if (int code = confirm_replace(&file); code != 0) return code;
    return write_file(file, "w", FileKind::SHEET_SOURCE,
                      [&](FILE* out) { return awrite_Schema(schema, out, 0); });
}

int save_titleblock_file(const char* name, Schema* schema) {
    if (!schema) return DOC_NO_SCHEMATIC;
    std::string file = make_kind_file_name(name ? name : "", KIND_TITLEBLOCK, 2);
    return write_file(file, "wb", FileKind::TITLE_BLOCK, [&](FILE* out) {
        return write_titleblock_file(schema, &schema->titleblock, out, true);
    });
}

int load_titleblock_file(const char* name, Schema* schema) {
    if (!schema) return DOC_NO_SCHEMATIC;
    std::string file = make_kind_file_name(name ? name : "", KIND_TITLEBLOCK, 1);
    InFile stream(open_file(file.c_str(), "rb"));
    if (!stream) return DOC_CANNOT_OPEN;
    // Read aside, so that a damaged file leaves the document's title block
    // as it was.
    TitleBlock* block = new_TitleBlock();
    if (!block) no_memory();
    int result = read_titleblock_file(schema, block, stream.get());
    if (result == NOT_MY_TAG) result = DOC_READ_ERROR;
    if (result != 0) {
        free_TitleBlock(schema, block, false);
        return load_code(result);
    }
    schema_take_titleblock(schema, block);
    free_TitleBlock(schema, block, false);
    titleblock_bounds(schema);
    return 0;
}

int decompile_titleblock(Schema* schema, const char* name, DocReport report) {
    const bool verbose = proper_get(DECOMPTMPL_VERBOSE) != 0 && report;
    if (!schema) return DOC_NO_SCHEMATIC;
    std::string file = make_kind_file_name(name ? name : "", KIND_ASCII, 2);
    if (int code = confirm_replace(&file); code != 0) return code;
    if (verbose) report("Opening Ascii Title Block File...\n");
    ProjectWrites writes(file.c_str(), report ? report : log_printf);
    int result = write_file(file, "w", FileKind::TITLE_BLOCK_SOURCE, [&](FILE* out) {
        if (verbose) report("Writing Ascii Title Block File...\n");
        awrite_TitleBlock(schema, out, 0);
        if (verbose) report("Closing Ascii Title Block File...\n");
        return 0;
    });
    if (result == 0 && verbose) report("Decompile Title Block Done.\n");
    return result;
}

int schema_file_exists(const char* name) {
    return file_exists_as(name ? name : "", dir_in_use(DIR_PROJECT), strproper_get(EXT_SCHEMA));
}

namespace {

// The kind named in the header of a file: '@', the header text, 0x1A.
int header_kind(const std::string& file) {
    InFile stream(open_file(file.c_str(), "rb"));
    if (!stream) return FILE_KIND_NONE;
    if (std::getc(stream.get()) != FILE_HEADER_MARK) return FILE_KIND_NONE;
    char header[256];
    if (read_string(header, sizeof header, stream.get()) != 0) return FILE_KIND_NONE;
    if (std::getc(stream.get()) != FILE_HEADER_END) return FILE_KIND_NONE;
    if (std::strstr(header, "Schema")) return FILE_KIND_SCHEMA;
    if (std::strstr(header, "Library")) return FILE_KIND_LIBRARY;
    if (std::strstr(header, "Title Block")) return FILE_KIND_TITLEBLOCK;
    return FILE_KIND_NONE;
}

}  // namespace

int get_file_kind(const char* name) {
    const char* text = name ? name : "";
    int kind = header_kind(make_kind_file_name(text, KIND_SCHEMA, 1));
    if (kind != FILE_KIND_NONE) return kind;
    return header_kind(make_kind_file_name(text, KIND_LIBRARY, 1));
}

const std::string& last_written_schema() { return last_written; }

// --- state ---------------------------------------------------------------------------------------

bool sheet_is_empty(const Schema* schema) {
    return !schema || !schema->current || list_empty(schema->current->items);
}

bool titleblock_is_empty(const Schema* schema) {
    return !schema || list_empty(schema->titleblock.drawing);
}

bool schema_is_empty(const Schema* schema) {
    return !schema ||
           (sheet_is_empty(schema) && list_empty(schema->ports) && titleblock_is_empty(schema));
}

void schema_set_modified(Schema* schema) {
    if (schema) schema->modified = 1;
}

void schema_clear_modified(Schema* schema) {
    if (schema) schema->modified = 0;
}

bool schema_is_modified(const Schema* schema) { return schema && schema->modified != 0; }

void close_schema(NameStack* stack, Schema** schema) {
    free_Schema(*schema, false);
    *schema = nullptr;
    if (stack) name_stack_pop_all(stack);
}

void free_open_libraries() {
    free_LibraryList(lib_list);
    lib_list = nullptr;
}
