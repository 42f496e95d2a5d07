#include "render/render_services.h"

#include <algorithm>

#include "foundation/font_record.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/fonts.h"
#include "model/documents/schema.h"
#include "model/items/text.h"
#include "model/items/view.h"
#include "render/colour_table.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "render/render_canvas.h"
#include "render/render_fonts.h"

bool text_extent(void* canvas, List* fonts, View*, const char* text, int* font_number, Point pos,
                 Rect* out) {
    if (!canvas) return false;
    // The system list may grow by the default record; any other table is
    // the caller's and only read: a default record made for it is dropped.
    List* own = fonts;
    List** table = fonts == system_fonts ? &system_fonts : &own;
    Font* record = nullptr;
    const bool realized = font_for_text(table, font_number, &record) && record;
    Point size{};
    if (realized) size = measure_text_world(*record, text);
    if (table == &own && own != fonts) free_Fonts(own);
    if (!realized) return false;
    *out = Rect{pos.x, pos.y - size.y, size.x, size.y};
    return true;
}

bool paint_zone_text_extent(View* view, const char* text, int* font_number, Point pos, Rect* out) {
    // A sheet that no window shows (one being printed, a sub-sheet read for
    // its ports) is measured on any canvas that is open.
    RenderCanvas* canvas = canvas_of_view(view);
    if (!canvas) canvas = any_canvas();
    return canvas && text_extent(canvas, system_fonts, view, text, font_number, pos, out);
}

bool sheet_text_box(Schema* doc, SchItem* item, Rect* out) {
    if (!doc || !canvas_of_view(&doc->view) || !item || item->type != TEXT_ITEM) return false;
    Point c[4];
    if (!text_corners(doc, as_Text(item), c)) return false;
    *out = box_of(c, 4);
    return true;
}

void render_cleanup() {
    render_fonts_cleanup();
    colour_table_free();
}

void install_render_services(Services& table) {
    colour_table_build();
    table.text_extent = text_extent;
    table.font_for_text = [](List** fonts, int* font_id) -> long {
        Font* record = nullptr;
        return font_for_text(fonts, font_id, &record) && record ? long(record->realized) : 0L;
    };
    table.colour_table_attach = colour_table_attach;
    table.colour_red = []() -> void* { return const_cast<wxColour*>(&colour_red()); };
    table.paint_zone_text_extent = paint_zone_text_extent;
    table.sheet_text_box = sheet_text_box;
    table.canvas_visible_rect = [](void* canvas, int out[4]) {
        if (canvas) static_cast<RenderCanvas*>(canvas)->VisibleRect(out);
    };
    table.font_remove_entry = font_remove_entry;
    table.item_draw_bounds = item_draw_bounds;
}
