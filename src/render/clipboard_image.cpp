#include "render/clipboard_image.h"

#include <algorithm>

#include <wx/dcmemory.h>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/paste.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "render/colour_table.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "toolkit/clipboard_format.h"

namespace {

constexpr double MAX_SIDE = 4000.0;
constexpr int32_t MARGIN = 500;  // world units round the selection

}  // namespace

bool selection_image(Schema* schema, wxBitmap* out) {
    if (!schema) return false;
    Sheet* sheet = schema->current ? schema->current : schema->sheet;
    if (!sheet) return false;
    Rect box{};
    bool any = false;
    for (SchItem* item : list_items<SchItem>(sheet->items))
        if (item->state & STATE_SELECTED) any = bounds_SchItem(schema, item, &box, any) || any;
    if (!any) return false;
    double scale = CLIPBOARD_PPI / 10000.0;
    const double w = double(box.w) + 2 * MARGIN, h = double(box.h) + 2 * MARGIN;
    scale = std::min(scale, MAX_SIDE / std::max(w, h));
    const int pw = std::max(1, int(w * scale)), ph = std::max(1, int(h * scale));
    wxBitmap bitmap(pw, ph);
    {
        wxMemoryDC dc(bitmap);
        const uint32_t background = uint32_t(proper_get(COLOR_BACKG));
        dc.SetBackground(wxBrush(colour_of_rgb(background)));
        dc.Clear();
        DrawAdapter adapter(&dc, scale, scale, (double(box.x) - MARGIN) * scale,
                            (double(box.y) - MARGIN) * scale, background);
        for (SchItem* item : list_items<SchItem>(sheet->items))
            if (item->state & STATE_SELECTED)
                draw_item(&adapter, schema, item, nullptr, ITEM_COLOURS, STYLE_AS_ITEM);
    }
    *out = bitmap;
    return true;
}

bool copy_selection_image(Schema* schema) {
    wxBitmap bitmap;
    if (!selection_image(schema, &bitmap)) return false;
    return clipboard_put_paste_file(PASTE_FILE_NAME, &bitmap);
}
