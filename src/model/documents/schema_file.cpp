// The binary schema file and the "(SCHEMATIC" source writer.
#include "model/documents/schema_file.h"

#include <cstring>
#include <string>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/documents/erc_mark.h"
#include "model/documents/fonts.h"
#include "model/documents/owners.h"
#include "model/documents/placed_part.h"
#include "model/documents/record_kit.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/ascii_writer.h"
#include "model/items/library.h"
#include "model/items/view.h"

namespace {

// The identification strings of the two sections, in file order.
constexpr int fields_section[] = {
    FIELD_DOCNUMBER,    FIELD_REVCODE,      FIELD_TITLE,        FIELD_COMPANYNAME,
    FIELD_COMPANYADDR1, FIELD_COMPANYADDR2, FIELD_COMPANYADDR3,
};
constexpr int fields2_section[] = {
    FIELD_FILENAME,  FIELD_COMPANYADDR4, FIELD_COMPANYADDR5, FIELD_CREATDATE, FIELD_MODIFDATE,
    FIELD_FIRSTNAME, FIELD_LASTNAME,     FIELD_FOLIO,        FIELD_NBFOLIO,   FIELD_USER1,
    FIELD_USER1 + 1, FIELD_USER1 + 2,    FIELD_USER1 + 3,    FIELD_USER1 + 4, FIELD_USER1 + 5,
    FIELD_USER1 + 6, FIELD_USER1 + 7,    FIELD_USER1 + 8,    FIELD_USER1 + 9,
};

template <size_t N>
void write_field_strings(Schema* schema, const int (&numbers)[N], FILE* stream) {
    for (int number : numbers) write_string(schema_field(schema, number), stream);
}

// Reads stored strings of any length into the fields, each cut to its
// field's capacity (never inside a UTF-8 sequence).
template <size_t N>
int read_field_strings(Schema* schema, const int (&numbers)[N], FILE* stream) {
    std::string text;
    for (int number : numbers) {
        if (docs_kit::read_text(&text, stream) != 0) return -1;
        if (!schema_set_field(schema, number, text.c_str()))
            warning("schema file: field %d cut to %zu bytes at byte %ld", number,
                    schema_field_capacity(number) - 1, std::ftell(stream));
    }
    return 0;
}

}  // namespace

int read_fields_section(Schema* schema, FILE* stream) {
    if (int tag = read_item_tag(stream, SCHEMA_FIELDS_TAG); tag != 0) return tag;
    if (read_field_strings(schema, fields_section, stream) != 0) return -1;
    int result = read_byte(&schema->sheet_size, stream);
    result |= read_byte(&schema->ansi_grid, stream);
    result |= read_byte(&schema->ansi_title, stream);
    return result;
}

int read_fields2_section(Schema* schema, FILE* stream) {
    if (int tag = read_item_tag(stream, SCHEMA_FIELDS2_TAG); tag != 0) return tag;
    return read_field_strings(schema, fields2_section, stream);
}

void write_fields_sections(Schema* schema, FILE* stream) {
    write_byte(SCHEMA_FIELDS_TAG, stream);
    write_field_strings(schema, fields_section, stream);
    write_byte(schema->sheet_size, stream);
    write_byte(schema->ansi_grid, stream);
    write_byte(schema->ansi_title, stream);
    write_byte(SCHEMA_FIELDS2_TAG, stream);
    write_field_strings(schema, fields2_section, stream);
}

namespace {

int read_erc_report(Schema* schema, FILE* stream) {
    if (int tag = read_item_tag(stream, SCHEMA_ERC_REPORT_TAG); tag != 0) return tag;
    std::string text;
    if (docs_kit::read_text(&text, stream) != 0) return -1;
    copy_field(schema->erc_report, sizeof schema->erc_report, text.c_str());
    return 0;
}

// The ports section: port records up to 0xE0. Only ports may stand there:
// the ports list is used as a list of Port records everywhere.
int read_ports_section(Schema* schema, FILE* stream) {
    List* ports = new_list_or_die();
    int result = read_port_list(ports, stream);
    if (result != 0) {
        free_SchItem_list(schema, &ports);
        return result;
    }
    free_SchItem_list(schema, &schema->ports);
    schema->ports = ports;
    return 0;
}

// 's', ERC marks, 0xE0. Like the ports list, the ERC list holds marks only.
int read_erc_section(Schema* schema, FILE* stream) {
    if (int tag = read_item_tag(stream, SCHEMA_ERC_LIST_TAG); tag != 0) return tag;
    List* marks = new_list_or_die();
    int result = read_SchItem_list(schema, marks, stream);
    for (const SchItem* item : list_items<SchItem>(marks))
        if (result == 0 && item->type != ERC_ITEM) result = READ_ERROR;
    if (result != 0) {
        free_SchItem_list(schema, &marks);
        return result;
    }
    schema_free_erclist(schema);
    schema->erc_list = marks;
    return 0;
}

int read_root_sheet(Schema* schema, FILE* stream) {
    Owner<Sheet> sheet(new_Sheet(), RecordFree{schema});
    if (!sheet) no_memory();
    if (int result = read_Sheet(schema, sheet.get(), stream); result != 0) return result;
    if (schema->current == schema->sheet) schema->current = sheet.get();
    free_Sheet(schema, schema->sheet, false);
    schema->sheet = sheet.release();
    return 0;
}

bool any_port_passes(const List* ports, uint32_t mask) {
    for (const SchItem* port : list_items<SchItem>(ports))
        if (mask_SchItem(mask, port)) return true;
    return false;
}

void line(FILE* stream, int level, const char* text) {
    write_indent(stream, level);
    std::fputs(text, stream);
    put_newline(stream);
}

}  // namespace

int read_own_library(Schema* schema, FILE* stream) {
    Owner<Library> library(new_Library());
    if (int result = read_Library(library.get(), stream, false); result != 0) return result;
    free_Library(schema->library);
    schema->library = library.release();
    return 0;
}

const char* schema_file_header() {
    static const std::string header = [] {
        char text[128];
        std::snprintf(text, sizeof text, SCHEMA_HEADER_FORMAT, FILE_VERSION, FILE_DATE);
        return std::string(text);
    }();
    return header.c_str();
}

// --- writing ------------------------------------------------------------------------------

int write_Schema(Schema* schema, FILE* stream, uint32_t mask) {
    copy_field(schema->modifdate, sizeof schema->modifdate, date_string().c_str());
    write_byte(FILE_HEADER_MARK, stream);
    write_string(schema_file_header(), stream);
    write_byte(FILE_HEADER_END, stream);
    write_byte(SCHEMA_TAG, stream);

    // Readers ignore the rectangle; an empty document stores zeros.
    Rect bounds{};
    if (!bounds_Schema(schema, &bounds)) bounds = Rect{};
    write_byte(SCHEMA_BOUNDS_TAG, stream);
    write_rect(bounds, stream);

    if (any_port_passes(schema->ports, mask)) {
        write_SchItem_list(schema, schema->ports, stream, mask);
        write_byte(LIST_END, stream);
    }
    if (schema->sheet) write_Sheet(schema, schema->sheet, stream, mask);
    if (schema->library) {
        if (int code = write_Library(schema->library, stream, 0); code != 0) return code;
    }
    write_Tags(&schema->view, stream);
    write_SavedViews(&schema->view, stream);

    write_fields_sections(schema, stream);
    write_byte(SCHEMA_ERC_REPORT_TAG, stream);
    write_string(schema->erc_report, stream);

    // A title block without its drawing list writes nothing (the record
    // could not be read back).
    write_titleblock_file(schema, &schema->titleblock, stream, false);
    write_Fonts(schema->fonts, stream, 0);
    if (schema->erc_list && schema->erc_list->count > 0) {
        write_byte(SCHEMA_ERC_LIST_TAG, stream);
        write_SchItem_list(schema, schema->erc_list, stream, mask);
        write_byte(LIST_END, stream);
    }
    write_byte(LIST_END, stream);
    return 0;
}

// --- reading ------------------------------------------------------------------------------

int read_Schema(Schema* schema, FILE* stream) {
    int c = std::getc(stream);
    if (c == EOF) return -1;
    if (c == FILE_HEADER_MARK) {
        std::string header;  // its text is not looked at
        if (docs_kit::read_text(&header, stream) != 0) return -1;
        c = std::getc(stream);
        if (c == EOF) return -1;
        if (c != FILE_HEADER_END) {  // an '@' line that is no file header
            std::ungetc(c, stream);
            return NOT_MY_TAG;
        }
        c = std::getc(stream);
        if (c == EOF) return -1;
    }
    if (c != SCHEMA_TAG) {
        std::ungetc(c, stream);
        return NOT_MY_TAG;
    }
    schema->type = SCHEMA_ITEM;
    schema->state = STATE_NEW;

    if (take_byte(stream, SCHEMA_BOUNDS_TAG)) {
        Rect ignored;
        if (read_rect(&ignored, stream) != 0) return -1;
    }
    c = peek_byte(stream);
    if (c == EOF) return -1;
    if (c == item_tag(PORT_ITEM)) {
        if (int result = read_ports_section(schema, stream); result != 0) return result;
    }
    if (int result = read_root_sheet(schema, stream); result != 0 && result != NOT_MY_TAG)
        return result;

    // A library whose body references cannot all be resolved was read
    // whole: the rest of the file is read, and the failure is the result.
    int pending = read_own_library(schema, stream);
    if (pending != 0 && pending != NOT_MY_TAG && pending != LIB_LOAD_NULL_REFERENCE &&
        pending != LIB_LOAD_REFERENCE_LOOP)
        return pending;

    for (bool more = true; more;) {
        c = peek_byte(stream);
        int result = 0;
        switch (c) {
            case EOF: return -1;  // the final 0xE0 is missing
            case TITLEBLOCK_TAG:
                result = read_titleblock_file(schema, &schema->titleblock, stream);
                break;
            case FONT_TAG:
                schema_free_fonts(schema);
                result = read_Fonts(&schema->fonts, stream);
                break;
            case SCHEMA_ERC_LIST_TAG: result = read_erc_section(schema, stream); break;
            case SCHEMA_FIELDS2_TAG: result = read_fields2_section(schema, stream); break;
            case SCHEMA_ERC_REPORT_TAG: result = read_erc_report(schema, stream); break;
            case TAGS_TAG: result = read_Tags(&schema->view, stream, true); break;
            case SAVED_VIEWS_TAG: result = read_SavedViews(&schema->view, stream, true); break;
            case SCHEMA_FIELDS_TAG: result = read_fields_section(schema, stream); break;
            default: more = false; break;
        }
        if (result != 0) return result;
    }
    // The record ends with 0xE0: without it the file was cut short or
    // damaged. What may follow it (padding added on the way) is not read.
    c = std::getc(stream);
    if (c == EOF) return -1;
    if (c != LIST_END) return READ_ERROR;

    // Texts are read without a font table: with none in the file there is
    // nothing to bind, and a large sheet is not walked for it.
    if (schema->sheet && schema->fonts) resolve_item_fonts(schema->sheet->items, schema->fonts);
    resolve_item_fonts(schema->titleblock.fields, schema->fonts);
    resolve_item_fonts(schema->titleblock.drawing, schema->fonts);
    date_fill_if_unset(schema->creatdate, sizeof schema->creatdate);
    date_fill_if_unset(schema->modifdate, sizeof schema->modifdate);
    return pending == NOT_MY_TAG ? 0 : pending;
}

// --- the source form ------------------------------------------------------------------------

int awrite_Schema(Schema* schema, FILE* stream, int level) {
    line(stream, level, "(SCHEMATIC");
    if (schema->ports) {
        line(stream, level + 1, "(PORTS");
        awrite_SchItem_list(schema, schema->ports, stream, level + 2);
        line(stream, level + 1, ")");
    }
    if (schema->sheet) awrite_Sheet(schema, schema->sheet, stream, level + 1);
    awrite_TitleBlock(schema, stream, level + 1);
    awrite_ErcList(schema->erc_list, stream, level + 1);
    if (schema->library) {
        if (int code = awrite_Library(schema->library, stream, level + 1); code != 0) return code;
    }
    if (schema->fonts) awrite_Fonts(schema->fonts, stream, level + 1);
    line(stream, level, ")");
    return 0;
}
