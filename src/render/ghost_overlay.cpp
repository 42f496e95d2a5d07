#include "render/ghost_overlay.h"

#include <algorithm>

#include "render/ghosts.h"

bool GhostOverlay::toggle(std::vector<Prim>&& ghost) {
    if (ghost.empty()) return false;
    auto same = std::find(ghosts_.begin(), ghosts_.end(), ghost);
    if (same != ghosts_.end()) {
        ghosts_.erase(same);
        return false;
    }
    ghosts_.push_back(std::move(ghost));
    return true;
}

void GhostOverlay::paint(DrawAdapter& adapter) const {
    const int mode = adapter.mode();
    for (const auto& ghost : ghosts_) {
        for (const Prim& prim : ghost) {
            adapter.set_mode(prim.rgb == GHOST_COLOUR ? DRAW_XOR : DRAW_COPY);
            adapter.replay({prim});
        }
    }
    adapter.set_mode(mode);
}
