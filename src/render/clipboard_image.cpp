#include "render/clipboard_image.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include <wx/dcmemory.h>
#include <wx/filename.h>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/document.h"
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

using ItemWalk = std::function<void(const std::function<void(SchItem*)>&)>;

// The items a walk gives, drawn on the background round their bounds.
bool items_image(Schema* schema, const ItemWalk& walk, wxBitmap* out) {
    Rect box{};
    bool any = false;
    walk([&](SchItem* item) { any = bounds_SchItem(schema, item, &box, any) || any; });
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
        walk([&](SchItem* item) {
            draw_item(&adapter, schema, item, nullptr, ITEM_COLOURS, STYLE_AS_ITEM);
        });
    }
    *out = bitmap;
    return true;
}

}  // namespace

bool selection_image(Schema* schema, wxBitmap* out) {
    if (!schema) return false;
    Sheet* sheet = schema->current ? schema->current : schema->sheet;
    if (!sheet) return false;
    return items_image(
        schema,
        [sheet](const std::function<void(SchItem*)>& each) {
            for (SchItem* item : list_items<SchItem>(sheet->items))
                if (item->state & STATE_SELECTED) each(item);
        },
        out);
}

bool paste_file_image(const std::string& paste_file, wxBitmap* out) {
    FILE* stream = std::fopen(paste_file.c_str(), "rb");
    if (!stream) return false;
    Schema* scratch = nullptr;
    new_active_schema(&scratch);
    const int read = read_paste_body(scratch, PASTE_SCHEMA, stream);
    std::fclose(stream);
    // The sheet's items in their order, as the selection's picture draws them.
    bool drawn =
        read == 0 && items_image(
                         scratch,
                         [scratch](const std::function<void(SchItem*)>& each) {
                             for (SchItem* item : list_items<SchItem>(scratch->sheet->items))
                                 each(item);
                         },
                         out);
    free_paste_scratch(scratch);
    return drawn;
}

bool copy_selection_image(const char* paste_file) {
    wxFileName file(wxString::FromUTF8(paste_file));
    file.MakeAbsolute();
    const std::string name = file.GetFullPath().utf8_string();
    return clipboard_put_paste_file(
        name, [name](wxBitmap* picture) { return paste_file_image(name, picture); });
}
