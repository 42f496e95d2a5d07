#pragma once
// Ghosts: the shapes an interactive tool shows while the user drags (the
// rubber band of a wire, a part following the pointer, the selection's
// frames). They used to be drawn with XOR straight on the window, so that
// drawing the same shape a second time took it away. Device contexts on
// GTK3 cannot XOR; a ghost is kept instead as the list of primitives it
// drew, and toggling an equal list removes it. The canvas paints its ghosts
// over its backing bitmap. A ghost may carry a key naming what it shows
// (a fingerprint of the items drawn): it is then taken away by its key,
// without drawing the items again to find it.
//
// The ghost of a list of items that a tool keeps (the pasted items
// following the pointer) records nothing: the overlay measures each item
// once and draws, at each paint, the items that meet what it paints, from
// the list itself. However many the items, a paint then costs what the
// window shows.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/draw_adapter.h"

struct List;
struct Schema;
struct SchItem;

class GhostOverlay {
public:
    // Adds the ghost, or removes an equal one already shown. True when the
    // ghost is shown afterwards. An empty ghost changes nothing (false).
    // *covers (when given) is set to the world rectangle the ghost added or
    // removed covers, pen widths included; *any to whether it covers one. A
    // ghost added keeps `key` (0: none).
    bool toggle(std::vector<Prim>&& ghost, Rect* covers = nullptr, bool* any = nullptr,
                uint64_t key = 0);
    // Removes the ghost shown under the key (not 0), *covers and *any as
    // toggle sets them; false when none is shown under it.
    bool remove(uint64_t key, Rect* covers = nullptr, bool* any = nullptr);
    // Adds the ghost of the list's items as they stand now, drawn from the
    // list in the items' own colours (of the document `doc`), or removes
    // the ghost of the same list when one is shown; *covers and *any as
    // toggle sets them. The caller keeps the list and its items, unchanged,
    // while the ghost shows: it takes the ghost away before it moves,
    // changes or frees them. True when shown afterwards; an empty list
    // changes nothing.
    bool toggle_items(List* items, Schema* doc, Rect* covers = nullptr, bool* any = nullptr);
    void clear() { ghosts_.clear(); }
    size_t size() const { return ghosts_.size(); }
    bool empty() const { return ghosts_.empty(); }
    // Replays every ghost through the adapter: a ghost of an item in the
    // item's own colours (XORed with a light background they would wash
    // out), one in the tools' ghost colour XORed with the background, so
    // that it stands out from any. With a world rectangle, only what meets
    // it (a paint that shows part of the window).
    void paint(DrawAdapter& adapter, const Rect* clip = nullptr) const;

private:
    struct Ghost {
        std::vector<Prim> prims;
        const List* list = nullptr;   // a list's ghost: the list (not owned)
        std::vector<SchItem*> items;  // its items, in order (not owned)
        Schema* doc = nullptr;        // not owned: the document they are drawn for
        std::vector<Rect> covers;     // of each primitive, or of each item
        Rect box{};                   // of them all
        bool any = false;             // whether any covers a rectangle
        uint64_t key = 0;             // what it shows; 0 none
    };
    // Takes the ghost away, *covers and *any as toggle sets them.
    void take_away(std::vector<Ghost>::iterator ghost, Rect* covers, bool* any);
    std::vector<Ghost> ghosts_;
};
