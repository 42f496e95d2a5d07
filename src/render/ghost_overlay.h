#pragma once
// Ghosts: the shapes an interactive tool shows while the user drags (the
// rubber band of a wire, a part following the pointer, the selection's
// frames). They used to be drawn with XOR straight on the window, so that
// drawing the same shape a second time took it away. Device contexts on
// GTK3 cannot XOR; a ghost is kept instead as the list of primitives it
// drew, and toggling an equal list removes it. The canvas paints its ghosts
// over its backing bitmap.
#include <cstddef>
#include <vector>

#include "render/draw_adapter.h"

class GhostOverlay {
public:
    // Adds the ghost, or removes an equal one already shown. True when the
    // ghost is shown afterwards. An empty ghost changes nothing (false).
    bool toggle(std::vector<Prim>&& ghost);
    void clear() { ghosts_.clear(); }
    size_t size() const { return ghosts_.size(); }
    bool empty() const { return ghosts_.empty(); }
    // Replays every ghost through the adapter: a ghost of an item in the
    // item's own colours (XORed with a light background they would wash
    // out), one in the tools' ghost colour XORed with the background, so
    // that it stands out from any.
    void paint(DrawAdapter& adapter) const;

private:
    std::vector<std::vector<Prim>> ghosts_;
};
