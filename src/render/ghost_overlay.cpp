#include "render/ghost_overlay.h"

#include <algorithm>

#include "foundation/list.h"
#include "model/documents/schema.h"
#include "render/draw_items.h"
#include "render/ghosts.h"

namespace {

// The cover of a primitive that measures nothing: it is painted whatever
// the clip.
constexpr Rect EVERYWHERE{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

bool meets(const Rect& a, const Rect& b) {
    if (a == EVERYWHERE) return true;
    return int64_t{a.x} <= int64_t{b.x} + b.w && int64_t{b.x} <= int64_t{a.x} + a.w &&
           int64_t{a.y} <= int64_t{b.y} + b.h && int64_t{b.y} <= int64_t{a.y} + a.h;
}

}  // namespace

void GhostOverlay::take_away(std::vector<Ghost>::iterator ghost, Rect* covers, bool* any) {
    if (covers) *covers = ghost->box;
    if (any) *any = ghost->any;
    ghosts_.erase(ghost);
}

bool GhostOverlay::remove(uint64_t key, Rect* covers, bool* any) {
    if (any) *any = false;
    if (key == 0) return false;
    auto shown = std::find_if(ghosts_.begin(), ghosts_.end(),
                              [&](const Ghost& ghost) { return ghost.key == key; });
    if (shown == ghosts_.end()) return false;
    take_away(shown, covers, any);
    return true;
}

bool GhostOverlay::toggle(std::vector<Prim>&& ghost, Rect* covers, bool* any, uint64_t key) {
    if (any) *any = false;
    if (ghost.empty()) return false;
    auto same = std::find_if(ghosts_.begin(), ghosts_.end(),
                             [&](const Ghost& shown) { return shown.prims == ghost; });
    if (same != ghosts_.end()) {
        take_away(same, covers, any);
        return false;
    }
    Ghost added;
    added.covers.reserve(ghost.size());
    Rect box{};
    bool measured = false;
    DrawAdapter measure(&box, &measured);
    for (const Prim& prim : ghost) {
        measured = false;
        measure.replay(prim);
        // A primitive that covers nothing measurable is painted all the same.
        if (!measured) box = EVERYWHERE;
        added.covers.push_back(box);
        if (measured) {
            if (added.any)
                rect_union(&added.box, box);
            else
                added.box = box;
            added.any = true;
        }
    }
    added.prims = std::move(ghost);
    added.key = key;
    if (covers) *covers = added.box;
    if (any) *any = added.any;
    ghosts_.push_back(std::move(added));
    return true;
}

bool GhostOverlay::toggle_items(List* items, Schema* doc, Rect* covers, bool* any) {
    if (any) *any = false;
    if (!items || items->count == 0) return false;
    auto same = std::find_if(ghosts_.begin(), ghosts_.end(),
                             [&](const Ghost& shown) { return shown.list == items; });
    if (same != ghosts_.end()) {
        take_away(same, covers, any);
        return false;
    }
    Ghost added;
    added.list = items;
    added.doc = doc;
    added.items.reserve(items->count);
    added.covers.reserve(items->count);
    for (SchItem* item : list_items<SchItem>(items)) {
        // What the item draws in any colour holds what its ghost draws; an
        // item that measures nothing is painted whatever the clip.
        Rect box{};
        const bool measured = item_draw_bounds(doc, item, &box);
        added.items.push_back(item);
        added.covers.push_back(measured ? box : EVERYWHERE);
        if (!measured) continue;
        if (added.any)
            rect_union(&added.box, box);
        else
            added.box = box;
        added.any = true;
    }
    if (covers) *covers = added.box;
    if (any) *any = added.any;
    ghosts_.push_back(std::move(added));
    return true;
}

void GhostOverlay::paint(DrawAdapter& adapter, const Rect* clip) const {
    const int mode = adapter.mode();
    for (const Ghost& ghost : ghosts_) {
        if (ghost.list) {
            const bool was = adapter.ghost;
            adapter.ghost = true;
            for (size_t i = 0; i < ghost.items.size(); ++i)
                if (!clip || meets(ghost.covers[i], *clip))
                    draw_item(&adapter, ghost.doc, ghost.items[i], nullptr, ITEM_COLOURS,
                              STYLE_AS_ITEM);
            adapter.ghost = was;
            continue;
        }
        for (size_t i = 0; i < ghost.prims.size(); ++i) {
            if (clip && !meets(ghost.covers[i], *clip)) continue;
            const Prim& prim = ghost.prims[i];
            adapter.set_mode(prim.rgb == GHOST_COLOUR ? DRAW_XOR : DRAW_COPY);
            adapter.replay(prim);
        }
    }
    adapter.set_mode(mode);
}
