#include "editor/gui/preview_canvas.h"

#include "foundation/list.h"
#include "foundation/matrix.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/libutil.h"
#include "render/draw_items.h"

PreviewCanvas::PreviewCanvas(wxWindow* frame, int x, int y, int width, int height, long, int mode_)
    : EditCanvas(frame, CANVAS_PREVIEW), mode(mode_) {
    SetSize(x, y, width, height);
    // A preview shows, it does not scroll.
    ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_NEVER);
}

namespace {
constexpr int32_t PREVIEW_ORIGIN = 50000;  // world units: five inches
}  // namespace

bool preview_show_part(PreviewCanvas* preview, const char* library, const char* part_name,
                       int converted, int repaint_now) {
    if (!preview) return false;
    LibEntry* entry = nullptr;
    Part* part = library && part_name ? get_lib_part(library, part_name, 0, &entry) : nullptr;
    Schema* schema = nullptr;
    new_active_schema(&schema);
    PlacedPart* placed = nullptr;
    if (part && (setup_new_part(schema, library, part_name, &placed, part, entry) != 0 || !placed))
        placed = nullptr;
    if (placed) {
        if (converted) placed->flags |= PL_CONVERT;
        // Into the sheet, away from its corner: a view cannot scroll
        // beyond the sheet to centre a part standing at the origin.
        Matrix into_sheet;
        matrix_identity(&into_sheet);
        matrix_translate(&into_sheet, PREVIEW_ORIGIN, PREVIEW_ORIGIN);
        matrix_SchItem(placed, &into_sheet);
        // Its reference, value and fields where the library editor shows
        // them, beside the body and clear of the pins' numbers.
        for (int i = 0; pl_get_attribute(placed, i); ++i)
            pl_place_attribute_if_unset(schema, schema->library, placed, i);
        dlist_append(schema->current->items, placed);
    }
    preview->TakeDocument(schema);
    // Fitted round all the part shows, its texts with its body.
    Rect drawn;
    if (placed && item_draw_bounds(schema, placed, &drawn))
        preview->ZoomRect(drawn);
    else
        preview->ZoomAll();
    if (repaint_now) preview->Update();
    return placed != nullptr;
}
