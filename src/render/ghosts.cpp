#include "render/ghosts.h"

#include <vector>

#include "foundation/list.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/item.h"
#include "model/items/view.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "render/render_canvas.h"

namespace {

// Records what `paint` draws and toggles it as one ghost of the canvas.
template <class Paint>
void toggle(RenderCanvas* canvas, Paint paint) {
    if (!canvas) return;
    std::vector<Prim> ghost;
    DrawAdapter recorder(&ghost);
    paint(recorder);
    canvas->ToggleGhost(std::move(ghost));
}

}  // namespace

void xor_item_list(RenderCanvas* canvas, List* items) {
    if (!canvas) return;
    Schema* doc = canvas->GetDocument();
    toggle(canvas, [&](DrawAdapter& a) {
        for (SchItem* item : list_items<SchItem>(items))
            draw_item(&a, doc, item, nullptr, ITEM_COLOURS, STYLE_AS_ITEM);
    });
}

void xor_pin_on_canvas(RenderCanvas* canvas, DrawAdapter* adapter, PlacedPart* placed, Pin* pin,
                       int devices) {
    if (!placed || !pin) return;
    Schema* doc = canvas ? canvas->GetDocument() : nullptr;
    // A device past the package's count has no number of its own: show the
    // first device's.
    const int32_t device = placed->device;
    if (devices > 0 && placed->device >= devices) placed->device = 0;
    auto paint = [&](DrawAdapter& a) { draw_part_pin(&a, doc, placed, pin, GHOST_COLOUR); };
    if (adapter) {
        const int mode = adapter->mode();
        adapter->set_mode(DRAW_XOR);
        paint(*adapter);
        adapter->set_mode(mode);
    } else {
        toggle(canvas, paint);
    }
    placed->device = device;
}

void xor_selection(RenderCanvas* canvas, Schema* schema) {
    if (!canvas || !schema) return;
    Sheet* sheet = schema->current ? schema->current : schema->sheet;
    toggle(canvas, [&](DrawAdapter& a) {
        if (sheet)
            for (SchItem* item : list_items<SchItem>(sheet->items))
                if (item->state & STATE_SELECTED)
                    draw_item(&a, schema, item, nullptr, GHOST_COLOUR, STYLE_AS_ITEM);
        const View& view = schema->view;
        if (view.select_active && view.select.size() >= 2) {
            a.set_pen(GHOST_COLOUR, 1, true);
            a.strip(view.select);
        }
    });
}

void xor_text_frame(RenderCanvas* canvas, DrawAdapter* adapter, Text* text, int mode) {
    if (!text) return;
    Schema* doc = canvas ? canvas->GetDocument() : nullptr;
    if (adapter) {
        const int saved = adapter->mode();
        adapter->set_mode(mode);
        draw_text_frame(adapter, doc, text, nullptr, GHOST_COLOUR);
        adapter->set_mode(saved);
        return;
    }
    if (mode == DRAW_XOR)
        toggle(canvas, [&](DrawAdapter& a) { draw_text_frame(&a, doc, text, nullptr, GHOST_COLOUR); });
    else if (canvas)
        canvas->PaintOnBacking([&](DrawAdapter& a) {
            a.set_mode(mode);
            draw_text_frame(&a, doc, text, nullptr, GHOST_COLOUR);
        });
}
