// The sheet editor's menu commands, on a session.
#include "editor/editor_commands.h"

#include <utility>

#include "editor/edit_transaction.h"
#include "editor/sheet_modes.h"
#include "editor/tool_mode.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/owners.h"
#include "model/documents/paste.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/item.h"
#include "model/items/text.h"

void start_drawing_tool(EditSession* session, int kind, bool line, bool bus) {
    start_graphic_mode(session, DrawShape{.kind = kind, .line = line, .bus = bus});
}

void start_part_from_palette(EditSession* session, int slot) {
    start_part_mode(session, strproper_get(PART_PALETTE_LIB, slot),
                    strproper_get(PART_PALETTE_PART, slot),
                    proper_get(PART_PALETTE_CONV, slot) != 0, proper_get(PLACE_VPOWER) != 0);
}

void jump_command(EditSession* session, int slot) {
    if (!jump_to_bookmark(session, slot)) session->host->bell();
}

void report_edit_result(int code) {
    if (code != 0) error_box(nullptr, "Error", 0x40, RuntimeCode{code}, PASTE_FILE_NAME);
}

namespace {

void renumber_block_fonts(void* block, const FontRenumbering& map) {
    renumber_text_fonts(static_cast<TitleBlock*>(block)->fields, map);
    renumber_text_fonts(static_cast<TitleBlock*>(block)->drawing, map);
}

}  // namespace

int place_titleblock_file(EditSession* session, const char* file_name) {
    Schema* doc = session ? session->schema : nullptr;
    if (!doc) return DOC_NO_SCHEMATIC;
    // Read aside first: a file that cannot be read changes nothing.
    Schema* scratch = nullptr;
    new_active_schema(&scratch);
    Owner<Schema> held(scratch);
    if (int result = load_titleblock_file(file_name, scratch); result != 0) return result;
    TitleBlock& old = doc->titleblock;
    const bool has_one = (old.fields && old.fields->count) || (old.drawing && old.drawing->count);
    if (has_one && !confirm_box(nullptr, "Please Confirm", 50010)) return 0;

    // The block goes where the sheet's own stood, their lower right corners
    // at one place; on a sheet without one, at the sheet's lower right corner.
    TitleBlock& block = scratch->titleblock;
    const Point sheet = schema_sheet_extent(doc);
    const Point corner = has_one ? Point{static_cast<int32_t>(int64_t{old.bounds.x} + old.bounds.w),
                                         static_cast<int32_t>(int64_t{old.bounds.y} + old.bounds.h)}
                                 : sheet;
    const Rect& from = block.bounds;
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, static_cast<int32_t>(corner.x - (int64_t{from.x} + from.w)),
                     static_cast<int32_t>(corner.y - (int64_t{from.y} + from.h)));
    matrix_TitleBlock(&block, &shift);

    EditTransaction edit(session, EditTransaction::WHOLE_DOCUMENT);
    edit.invalidate(old.bounds);
    List* fonts = copy_Fonts(scratch->fonts);
    merge_Fonts(&fonts, &doc->fonts, &block, renumber_block_fonts);
    free_SchItem_list(doc, &old.fields);
    free_SchItem_list(doc, &old.drawing);
    old.fields = std::exchange(block.fields, nullptr);
    old.drawing = std::exchange(block.drawing, nullptr);
    resolve_item_fonts(old.fields, doc->fonts);
    resolve_item_fonts(old.drawing, doc->fonts);
    // The controls show this sheet's fields, the sheet size among them.
    for (SchItem* item : list_items<SchItem>(old.fields))
        if (item->type == TEXT_ITEM) text_fill_field(doc, as_Text(item), false);
    titleblock_bounds(doc);
    edit.invalidate(old.bounds);
    return 0;
}
