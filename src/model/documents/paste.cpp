// The paste file "tn$_tmp.#01": the selection of an editor written in the
// binary record forms of the native files, and read back into a document's
// paste list.
//
// Writing marks the selection first (state bit 0x8000 on every selected
// record, on the own-library entries of the selected placed parts and on
// the fonts of the selected texts) and notes which sections it needs; the
// sections are then written with the filter mask 0x8000 and closed by the
// 'l' reference records that name the selected records by object id.
//
// Reading goes into a scratch document: the sections rebuild the records,
// the reference records pick the selected ones out of them, and only then
// do the pasted records meet the document: as copies (or, for a title
// block, moved lists) with fresh object ids, their fonts and library parts
// merged into the document's.
#include "model/documents/paste.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/edit_state.h"
#include "model/documents/fonts.h"
#include "model/documents/ident.h"
#include "model/documents/owners.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/record_kit.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/libmaint.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

constexpr uint32_t SELECTED = STATE_SELECTED;
constexpr uint32_t IN_TITLEBLOCK = 0x0002;        // while marking: an item of the title block
constexpr uint8_t VECTOR_REFS_TAG = VECTORS_TAG;  // 0x20
constexpr uint8_t PIN_REFS_TAG = PINLIST_TAG;     // 0x1C

const char* const kind_words[] = {"Schema", "Title Block", "Library"};

bool valid_kind(int kind) { return kind >= PASTE_SCHEMA && kind <= PASTE_LIBRARY; }

List** paste_list(Schema* schema) { return &schema->edit.paste_list; }

void append_pasted(Schema* doc, SchItem* item) {
    List** list = paste_list(doc);
    if (!*list) *list = new_list_or_die();
    append_or_die(*list, item);
}

// Readers answer -1 for a short read; the paste file reports it as its own
// premature end, and a record that is not where the file says as damage.
int file_result(int result) {
    if (result == -1) return PASTE_PREMATURE_END;
    if (result == NOT_MY_TAG) return READ_ERROR;
    return result;
}

// --- marking the selection ---------------------------------------------------------------

struct Needs {
    bool titleblock = false;
    bool ports = false;
    bool library = false;
    bool sheet = false;
    bool fonts = false;
};

void clear_selection_marks(Schema* schema) {
    FlagOpScope clear(SELECTED | IN_TITLEBLOCK, FLAGOP_CLEAR);
    flag_Schema(schema);
    flag_SchItem_list(schema->titleblock.fields);
    flag_SchItem_list(schema->titleblock.drawing);
    if (schema->library)
        for (LibEntry* entry : schema->library->entries) entry->flags &= ~SELECTED;
}

void mark_titleblock_lists(Schema* schema, int operation) {
    FlagOpScope mark(IN_TITLEBLOCK, operation);
    flag_SchItem_list(schema->titleblock.fields);
    flag_SchItem_list(schema->titleblock.drawing);
}

// Marks the own-library entry of a placed part; the part goes in the sheet.
void need_placed_part(Schema* schema, PlacedPart* pl, Needs* needs) {
    LibEntry* entry =
        schema->library ? find_LibEntry(schema->library, pl->part_name.get()) : nullptr;
    if (entry) {
        entry->flags |= SELECTED;
        needs->library = true;
    }
    needs->sheet = true;
}

// The placed part a link stands for: the part hit (on the sheet), else its
// first target.
PlacedPart* link_part(PseudoPin* link) {
    if (link->father && link->father->type == PARTLIB_ITEM) return as_PlacedPart(link->father);
    if (link->whoami && link->whoami->type == PARTLIB_ITEM) return as_PlacedPart(link->whoami);
    return nullptr;
}

void mark_item(Schema* schema, SchItem* item, Needs* needs);

void mark_items(Schema* schema, List* items, Needs* needs) {
    for (SchItem* item : list_items<SchItem>(items)) mark_item(schema, item, needs);
}

void mark_item(Schema* schema, SchItem* item, Needs* needs) {
    item->state |= SELECTED;
    if ((item->state & IN_TITLEBLOCK) || item->type == TITLEBLOCK_ITEM) {
        needs->titleblock = true;
        if (item->type == TITLEBLOCK_ITEM) {
            mark_items(schema, as_TitleBlock(item)->fields, needs);
            mark_items(schema, as_TitleBlock(item)->drawing, needs);
        }
    } else if (item->type == PORT_ITEM && list_find_node(schema->ports, item)) {
        needs->ports = true;  // an interface port; a port standing on the sheet goes with it
    } else if (item->type == PARTLIB_ITEM) {
        need_placed_part(schema, as_PlacedPart(item), needs);
    } else if (item->type == PSEUDO_PIN) {
        if (PlacedPart* pl = link_part(as_PseudoPin(item))) {
            // The part must be in the sheet written, for the link to find it.
            pl->state |= SELECTED;
            need_placed_part(schema, pl, needs);
        }
    } else {
        needs->sheet = true;
        // A fill is written with its edges only when they are marked too.
        if (item->type == FILL_ITEM)
            for (SchItem* edge : list_items<SchItem>(as_Fill(item)->items)) edge->state |= SELECTED;
    }
    if (item->type == TEXT_ITEM && as_Text(item)->font >= FONT_ID_BASE) {
        if (Font* font = font_find(schema->fonts, as_Text(item)->font - FONT_ID_BASE)) {
            font->state |= SELECTED;
            needs->fonts = true;
        }
    }
}

Needs mark_selection(Schema* schema) {
    Needs needs;
    clear_selection_marks(schema);
    mark_titleblock_lists(schema, FLAGOP_OR);
    mark_items(schema, schema->edit.edit_list, &needs);
    mark_titleblock_lists(schema, FLAGOP_CLEAR);
    return needs;
}

// --- the identification blocks ------------------------------------------------------------

// Both sections, 'f' then 'h', as the schema file keeps them.
int read_fields(Schema* schema, FILE* stream) {
    int result = read_fields_section(schema, stream);
    if (result == 0) result = read_fields2_section(schema, stream);
    return result;
}

// --- writing ----------------------------------------------------------------------------------

void write_header(int kind, FILE* stream) {
    write_byte(FILE_HEADER_MARK, stream);
    write_string(paste_header(kind).c_str(), stream);
    write_byte(FILE_HEADER_END, stream);
}

int write_schema_body(Schema* schema, const Needs& needs, FILE* stream) {
    write_fields_sections(schema, stream);
    if (needs.sheet && schema->sheet) write_Sheet(schema, schema->sheet, stream, SELECTED);
    if (needs.ports) {
        write_SchItem_list(schema, schema->ports, stream, SELECTED);
        write_byte(LIST_END, stream);
    }
    if (needs.library && schema->library)
        if (int code = write_Library(schema->library, stream, SELECTED); code != 0) return code;
    if (needs.titleblock) write_titleblock_file(schema, &schema->titleblock, stream, false);
    if (needs.fonts) write_Fonts(schema->fonts, stream, SELECTED);
    write_ref_list(schema->edit.edit_list, stream, SELECTED, false);
    return 0;
}

int write_titleblock_body(Schema* schema, const Needs& needs, FILE* stream) {
    if (needs.titleblock) write_titleblock_file(schema, &schema->titleblock, stream, false);
    if (needs.fonts) write_Fonts(schema->fonts, stream, SELECTED);
    write_ref_list(schema->edit.edit_list, stream, SELECTED, false);
    return 0;
}

// The one selected link record of picked part pieces, or null.
PseudoPin* selected_pieces(Schema* schema) {
    List* selection = schema->edit.edit_list;
    if (!selection || selection->count != 1) return nullptr;
    SchItem* item = static_cast<SchItem*>(selection->head->data);
    if (item->type != PSEUDO_PIN) return nullptr;
    PseudoPin* link = as_PseudoPin(item);
    if (!link->whoami || link->whoami->type != PARTLIB_ITEM) return nullptr;
    return link;
}

int write_library_body(Schema* schema, const Needs& needs, PseudoPin* link, FILE* stream) {
    PlacedPart* pieces = as_PlacedPart(link->whoami);
    write_PseudoPin(link, stream);
    write_PlacedPart(schema->library, pieces, stream, 0);
    if (needs.sheet && schema->sheet) write_Sheet(schema, schema->sheet, stream, SELECTED);
    if (needs.library && schema->library)
        if (int code = write_Library(schema->library, stream, SELECTED); code != 0) return code;
    // The pieces are records of the edited part's body, which the library
    // section has just written with their ids.
    if (Part* part = pieces->part) {
        bool convert = (pieces->flags & PL_CONVERT) != 0;
        if (Vectors* body = convert ? part->convert : part->normal) {
            write_byte(VECTOR_REFS_TAG, stream);
            write_ref_list(body->items, stream, 0, false);
        }
        if (PinList* pins = convert ? part->convert_pins : part->normal_pins) {
            write_byte(PIN_REFS_TAG, stream);
            write_ref_list(pins->pins, stream, 0, true);
        }
    }
    write_byte(LIST_END, stream);
    return 0;
}

const char* write_paste(Schema* schema, int kind) {
    if (!schema) return nullptr;
    if (kind == PASTE_LIBRARY && !selected_pieces(schema)) return nullptr;
    // The file lies in the working folder, which may be a project received
    // from someone else: it replaces only a paste file there, and a link
    // only to one (or to a new file in that folder).
    ProjectWrites folder(PASTE_FILE_NAME, nullptr);
    int code = write_atomically(
        PASTE_FILE_NAME, "wb", [&](FILE* out) { return write_paste_file(schema, kind, out); },
        false, ".BAK", nullptr, FileKind::PASTE);
    return code == 0 ? PASTE_FILE_NAME : nullptr;
}

// --- reading ------------------------------------------------------------------------------------

int read_header(int kind, FILE* stream) {
    int c = std::getc(stream);
    if (c == EOF) return PASTE_PREMATURE_END;
    if (c != FILE_HEADER_MARK) return PASTE_BAD_HEADER;
    char header[256];
    if (read_string(header, sizeof header, stream) != 0) return PASTE_PREMATURE_END;
    if (header != paste_header(kind)) return PASTE_BAD_HEADER;
    c = std::getc(stream);
    if (c == EOF) return PASTE_PREMATURE_END;
    return c == FILE_HEADER_END ? 0 : PASTE_BAD_HEADER;
}

int read_ports(Schema* scratch, FILE* stream) {
    if (!scratch->ports) scratch->ports = new_list_or_die();
    return read_port_list(scratch->ports, stream);
}

// The optional sections of kinds 0 and 1, in any order, until a byte that
// starts none of them. The library comes once: a second one would free
// parts the records read so far may hold.
int read_sections(Schema* scratch, int kind, FILE* stream) {
    bool library_read = false;
    for (;;) {
        int c = peek_byte(stream);
        int result = 0;
        if (kind == PASTE_SCHEMA && c == SHEET_TAG) {
            result = read_Sheet(scratch, scratch->sheet, stream);
        } else if (kind == PASTE_SCHEMA && c == item_tag(PORT_ITEM)) {
            result = read_ports(scratch, stream);
        } else if (kind == PASTE_SCHEMA && c == FILE_HEADER_MARK) {
            result = library_read ? READ_ERROR : read_own_library(scratch, stream);
            library_read = true;
        } else if (c == TITLEBLOCK_TAG) {
            result = read_titleblock_file(scratch, &scratch->titleblock, stream);
        } else if (c == FONT_TAG) {
            result = read_Fonts(&scratch->fonts, stream);
        } else {
            return 0;
        }
        if (result != 0) return result;
    }
}

// Reference records into the list; a record that resolves to nothing is
// skipped and noted in *unresolved.
int read_refs(Schema* scratch, List* list, FILE* stream, PlacedPart* part, bool* unresolved,
              RefKinds wanted = RefKinds::ANY) {
    int result = read_ref_list(scratch, list, stream, part, wanted);
    if (result == NOT_MY_TAG) return READ_ERROR;  // the list does not end with 0xE0
    if (result != READ_ERROR) return result;
    *unresolved = true;
    return 0;
}

// The selection of kinds 0 and 1: the reference records resolved against
// the scratch document. The texts read before the fonts are bound now.
int read_selection(Schema* scratch, FILE* stream, bool* unresolved) {
    resolve_item_fonts(scratch->sheet->items, scratch->fonts);
    resolve_item_fonts(scratch->titleblock.fields, scratch->fonts);
    resolve_item_fonts(scratch->titleblock.drawing, scratch->fonts);
    List** list = paste_list(scratch);
    if (!*list) *list = new_list_or_die();
    return read_refs(scratch, *list, stream, nullptr, unresolved);
}

SchItem* find_by_id(List* items, uint32_t id) {
    for (SchItem* item : list_items<SchItem>(items))
        if (item->id == id) return item;
    return nullptr;
}

// Kind 2. The link is the first paste-list entry at once (the scratch
// document releases it); its placed part joins it only when it holds its
// own part (dup_Part_with), since until then the part it caches belongs to
// the scratch library.
int read_library_selection(Schema* scratch, FILE* stream, bool* unresolved) {
    Owner<PseudoPin> held(new_PseudoPin());
    if (!held) no_memory();
    int result = read_PseudoPin(held.get(), stream);
    if (result != 0) return result;
    PseudoPin* link = held.release();
    link->role = PP_LINK_PART_PIECES;
    link->state |= STATE_TEMPORARY;
    append_pasted(scratch, link);

    struct PartFree {
        Schema* schema;
        void operator()(PlacedPart* pl) const {
            pl->part = nullptr;
            free_PlacedPart(schema, pl, false);
        }
    };
    std::unique_ptr<PlacedPart, PartFree> pieces(new_PlacedPart(), PartFree{scratch});
    if (!pieces) no_memory();
    if ((result = read_PlacedPart(pieces.get(), stream)) != 0) return result;

    Owner<List> graphics(new_list_or_die());  // the lists only: the link takes the items
    Owner<List> pins(new_list_or_die());
    bool library_read = false;
    for (bool more = true; more;) {
        int c = peek_byte(stream);
        switch (c) {
            case SHEET_TAG:
                result = read_Sheet(scratch, scratch->sheet, stream);
                if (result == 0) link->father = find_by_id(scratch->sheet->items, link->father_id);
                break;
            case FILE_HEADER_MARK:
                // Once only, and before any reference: the library read
                // replaces the one the references so far point into.
                if (library_read || graphics->count || pins->count) return READ_ERROR;
                library_read = true;
                result = read_own_library(scratch, stream);
                pieces->part = nullptr;
                if (result == 0) pl_get_part(scratch->library, pieces.get());
                break;
            case VECTOR_REFS_TAG:
            case PIN_REFS_TAG:
                std::getc(stream);
                result = read_refs(scratch, c == PIN_REFS_TAG ? pins.get() : graphics.get(), stream,
                                   pieces.get(), unresolved,
                                   c == PIN_REFS_TAG ? RefKinds::PINS : RefKinds::BODY_ITEMS);
                break;
            default: more = false; break;
        }
        if (result != 0) return result;
    }
    int end = std::getc(stream);
    if (end == EOF) return -1;
    if (end != LIST_END) return READ_ERROR;

    List* graphics_list = graphics.release();
    List* pin_list = pins.release();
    PlacedPart* whole = pieces.release();
    whole->part = dup_Part_with(scratch, whole, &graphics_list, &pin_list);
    link->whoami = whole;
    return 0;
}

// What read_paste_body found: its code, and whether the paste list may be
// used (everything read, perhaps with references that resolved to nothing).
struct BodyResult {
    int code = 0;
    bool usable = false;
};

BodyResult read_body(Schema* scratch, int kind, FILE* stream) {
    BodyResult body;
    if (!valid_kind(kind)) {
        body.code = PASTE_BAD_HEADER;
        return body;
    }
    if ((body.code = read_header(kind, stream)) != 0) return body;
    int result = 0;
    bool unresolved = false;
    if (kind == PASTE_LIBRARY) {
        result = read_library_selection(scratch, stream, &unresolved);
    } else {
        if (kind == PASTE_SCHEMA) result = read_fields(scratch, stream);
        if (result == 0) result = read_sections(scratch, kind, stream);
        if (result == 0) result = read_selection(scratch, stream, &unresolved);
    }
    // Bytes after the end of the body: the file is not what it says.
    if (result == 0 && std::getc(stream) != EOF) result = READ_ERROR;
    body.code = file_result(result);
    body.usable = body.code == 0;
    if (body.usable && unresolved) body.code = READ_ERROR;
    return body;
}

// --- handing the pasted records over --------------------------------------------------------------

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using StreamPtr = std::unique_ptr<FILE, FileCloser>;

struct ScratchFree {
    void operator()(Schema* schema) const { free_paste_scratch(schema); }
};
using ScratchPtr = std::unique_ptr<Schema, ScratchFree>;

ScratchPtr new_scratch() {
    Schema* scratch = nullptr;
    new_active_schema(&scratch);
    return ScratchPtr(scratch);
}

// Keeps the first failure.
void keep_code(int* code, int next) {
    if (*code == 0) *code = next;
}

void renumber_list_fonts(void* items, const FontRenumbering& map) {
    renumber_text_fonts(static_cast<List*>(items), map);
}

// The scratch fonts join the document's; the pasted texts follow their
// fonts' new numbers.
int merge_pasted_fonts(Schema* doc, Schema* scratch) {
    // A copy: the scratch texts stay bound to the scratch table until freed.
    List* fonts = copy_Fonts(scratch->fonts);
    return merge_Fonts(&fonts, &doc->fonts, *paste_list(scratch), renumber_list_fonts);
}

void renew_ids(List* items) {
    for (SchItem* item : list_items<SchItem>(items)) item->id = new_object_id();
}

// Appends a copy of a pasted record, with a fresh id, to the document's
// paste list.
void paste_copy(Schema* doc, SchItem* item) {
    SchItem* copy = copy_SchItem(doc, item);
    if (!copy) no_memory();
    if (copy->type == PARTLIB_ITEM) as_PlacedPart(copy)->part = nullptr;
    copy->id = new_object_id();
    append_pasted(doc, copy);
}

// What the title-block editor takes of a pasted record: drawing, no wiring.
bool titleblock_accepts(const SchItem* item) {
    const uint8_t style = item->flags & STYLE_MASK;
    switch (item->type) {
        case TEXT_ITEM: return (item->flags & TEXT_TYPE_MASK) != LABEL;
        case BOITE_ITEM:
        case FILL_ITEM: return true;
        case LINE_ITEM:
        case ARC_ITEM: return style == DRAW;
        case CIRCLE_ITEM: return style == DRAW || (item->flags & FILLED) != 0;
        default: return false;
    }
}

bool pins_alike(const Pin* a, const Pin* b) {
    return a->pos == b->pos && a->type == b->type && a->flags == b->flags &&
           std::strcmp(a->name.get(), b->name.get()) == 0;
}

// The item of the list equal to `item`, or null.
SchItem* find_equal_item(List* items, const SchItem* item) {
    for (SchItem* held : list_items<SchItem>(items))
        if (held->type == item->type && compare_Item(held, item)) return held;
    return nullptr;
}

Pin* find_equal_pin(PinList* pins, const Pin* pin) {
    for (Pin* held : list_items<Pin>(pins ? pins->pins : nullptr))
        if (pins_alike(held, pin)) return held;
    return nullptr;
}

// Adds the pasted pieces the edited part's body lacks and answers, in
// *graphics and *pins, the body's records that stand for every pasted piece.
void add_pieces(Schema* doc, PlacedPart* edited, Part* part, Part* pasted, bool pasted_convert,
                List** graphics, List** pins) {
    const bool convert = (edited->flags & PL_CONVERT) != 0;
    Vectors*& body = convert ? part->convert : part->normal;
    PinList*& body_pins = convert ? part->convert_pins : part->normal_pins;
    Vectors* from = pasted_convert ? pasted->convert : pasted->normal;
    PinList* from_pins = pasted_convert ? pasted->convert_pins : pasted->normal_pins;
    *graphics = new_list_or_die();
    *pins = new_list_or_die();
    List* fonts = doc->library ? doc->library->fonts : nullptr;
    for (SchItem* item : list_items<SchItem>(from ? from->items : nullptr)) {
        if (!body) {
            body = new_Vectors();
            if (!body) no_memory();
            ref_Vectors(body);
        }
        SchItem* held = find_equal_item(body->items, item);
        if (!held) {
            held = copy_Item(item);
            if (!held) no_memory();
            held->id = new_object_id();
            if (held->type == TEXT_ITEM) set_TextFonts(as_Text(held), fonts);
            append_or_die(body->items, held);
        }
        append_or_die(*graphics, held);
    }
    for (Pin* pin : list_items<Pin>(from_pins ? from_pins->pins : nullptr)) {
        if (!body_pins && !(body_pins = new_PinList())) no_memory();
        Pin* held = find_equal_pin(body_pins, pin);
        if (!held) {
            held = copy_Pin(pin, part->devices);
            if (!held) no_memory();
            held->id = new_object_id();
            append_or_die(body_pins->pins, held);
        }
        append_or_die(*pins, held);
    }
}

// The library editor's paste: the pieces go into the edited part, and the
// paste list gets them as picked pieces of that part.
void paste_pieces(Schema* doc, Schema* scratch) {
    List* list = *paste_list(scratch);
    if (!list || list->count != 1) return;
    PseudoPin* link = as_PseudoPin(static_cast<SchItem*>(list->head->data));
    if (!link->whoami || link->whoami->type != PARTLIB_ITEM) return;
    PlacedPart* pasted = as_PlacedPart(link->whoami);
    SchItem* first = doc->sheet ? list_first_part(doc->sheet->items) : nullptr;
    if (!first || !pasted->part) return;
    PlacedPart* edited = as_PlacedPart(first);
    Part* part = pl_get_part(doc->library, edited);
    if (!part) return;  // the edited part's entry is missing: nothing to paste into

    if (doc->library && scratch->library && scratch->library->fonts) {
        List* fonts = copy_Fonts(scratch->library->fonts);
        merge_Fonts(&fonts, &doc->library->fonts, pasted->part, renumber_part_fonts_cb);
    }
    List* graphics = nullptr;
    List* pins = nullptr;
    add_pieces(doc, edited, part, pasted->part, (pasted->flags & PL_CONVERT) != 0, &graphics,
               &pins);
    PseudoPin* pasted_link = new_pieces_link(doc, edited, &graphics, &pins);
    pasted_link->id = new_object_id();
    pasted_link->whoami->id = new_object_id();
    append_pasted(doc, pasted_link);
}

// Opens the file, reads the body of the kind into a scratch document and
// hands the result to `paste` when it is usable. The body's code.
template <class Paste>
int read_paste(Schema* doc, const char* file_name, int kind, Paste paste) {
    if (!doc || !file_name) return PASTE_CANNOT_OPEN;
    StreamPtr stream(open_file(file_name, "rb"));
    if (!stream) return PASTE_CANNOT_OPEN;
    ScratchPtr scratch = new_scratch();
    BodyResult body = read_body(scratch.get(), kind, stream.get());
    if (!body.usable) return body.code;
    int code = body.code;
    paste(scratch.get(), &code);
    return code;
}

}  // namespace

std::string paste_header(int kind) {
    if (!valid_kind(kind)) return "";
    char header[128];
    std::snprintf(header, sizeof header, PASTE_HEADER_FORMAT, FILE_VERSION, FILE_DATE,
                  kind_words[kind]);
    return header;
}

// --- writing ------------------------------------------------------------------------------------

int write_paste_file(Schema* schema, int kind, FILE* stream) {
    if (!valid_kind(kind)) return PASTE_NOTHING;
    PseudoPin* link = kind == PASTE_LIBRARY ? selected_pieces(schema) : nullptr;
    if (kind == PASTE_LIBRARY && !link) return PASTE_NOTHING;
    Needs needs = mark_selection(schema);
    write_header(kind, stream);
    switch (kind) {
        case PASTE_SCHEMA: return write_schema_body(schema, needs, stream);
        case PASTE_TITLEBLOCK: return write_titleblock_body(schema, needs, stream);
        default: return write_library_body(schema, needs, link, stream);
    }
}

const char* write_paste_schema(Schema* schema) { return write_paste(schema, PASTE_SCHEMA); }
const char* write_paste_titleblock(Schema* schema) { return write_paste(schema, PASTE_TITLEBLOCK); }
const char* write_paste_library(Schema* schema) { return write_paste(schema, PASTE_LIBRARY); }

// --- reading --------------------------------------------------------------------------------------

int read_paste_body(Schema* scratch, int kind, FILE* stream) {
    return read_body(scratch, kind, stream).code;
}

int read_paste_scratch(const char* file_name, int kind, Schema** scratch) {
    *scratch = nullptr;
    if (!file_name) return PASTE_CANNOT_OPEN;
    StreamPtr stream(open_file(file_name, "rb"));
    if (!stream) return PASTE_CANNOT_OPEN;
    ScratchPtr read = new_scratch();
    const int code = read_body(read.get(), kind, stream.get()).code;
    if (code == 0) *scratch = read.release();
    return code;
}

int paste_scratch_schema(Schema* doc, Schema* scratch) {
    int code = 0;
    keep_code(&code, merge_pasted_fonts(doc, scratch));
    if (doc->library && scratch->library)
        keep_code(&code, merge_Library(doc->library, scratch->library));
    for (SchItem* item : list_items<SchItem>(*paste_list(scratch))) {
        if (item->type == PSEUDO_PIN) continue;
        if (item->type == TITLEBLOCK_ITEM)
            paste_titleblock(doc, scratch);
        else
            paste_copy(doc, item);
    }
    resolve_item_fonts(*paste_list(doc), doc->fonts);
    return code;
}

int read_paste_schema(Schema* doc, const char* file_name, int kind) {
    if (kind != PASTE_SCHEMA) return 0;
    return read_paste(doc, file_name, kind, [doc](Schema* scratch, int* code) {
        keep_code(code, paste_scratch_schema(doc, scratch));
    });
}

int read_paste_library(Schema* doc, const char* file_name, int kind) {
    if (kind != PASTE_LIBRARY) return 0;
    return read_paste(doc, file_name, kind, [doc](Schema* scratch, int* code) {
        keep_code(code, merge_pasted_fonts(doc, scratch));
        paste_pieces(doc, scratch);
    });
}

int read_paste_titleblock(Schema* doc, const char* file_name, int kind) {
    if (kind != PASTE_SCHEMA && kind != PASTE_TITLEBLOCK) return 0;
    return read_paste(doc, file_name, kind, [doc](Schema* scratch, int* code) {
        keep_code(code, merge_pasted_fonts(doc, scratch));
        for (SchItem* item : list_items<SchItem>(*paste_list(scratch))) {
            if (item->type == TITLEBLOCK_ITEM)
                paste_titleblock(doc, scratch);
            else if (titleblock_accepts(item))
                paste_copy(doc, item);
        }
        resolve_item_fonts(*paste_list(doc), doc->fonts);
    });
}

void free_paste_scratch(Schema* scratch) {
    if (!scratch) return;
    // The paste list names records of the scratch document (its sheet, ports
    // and title block own them); only a link record is its own.
    List*& selection = *paste_list(scratch);
    for (SchItem* item : list_items<SchItem>(selection))
        if (item->type == PSEUDO_PIN) release_picked_entry(scratch, item);
    if (selection) dlist_free(selection, LIST_FROM_HEAD, nullptr);
    selection = nullptr;
    free_Schema(scratch, false);
}

// The sheet keeps one title block: whether the user agrees that a pasted
// one replaces it. The old block stays until the pasted one is placed, so
// that a paste dropped leaves it and the editor's undo copy, taken when it
// places the paste, holds it.
bool may_replace_titleblock(Schema* doc) {
    TitleBlock& old = doc->titleblock;
    bool has_one = (old.fields && old.fields->count) || (old.drawing && old.drawing->count);
    return !has_one || services().confirm_remove_title_block(doc);
}

bool paste_titleblock(Schema* doc, Schema* scratch) {
    if (!may_replace_titleblock(doc)) return false;
    TitleBlock* block = new_TitleBlock();
    if (!block) no_memory();
    TitleBlock& source = scratch->titleblock;
    block->flags = source.flags;
    block->width = source.width;
    block->pos = source.pos;
    block->bounds = source.bounds;
    std::swap(block->fields, source.fields);
    std::swap(block->drawing, source.drawing);
    block->state = source.state & ~STATE_NEW;
    block->id = new_object_id();
    renew_ids(block->fields);
    renew_ids(block->drawing);
    append_pasted(doc, block);
    return true;
}
