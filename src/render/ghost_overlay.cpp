#include "render/ghost_overlay.h"

#include <algorithm>

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
    adapter.set_mode(DRAW_XOR);
    for (const auto& ghost : ghosts_) adapter.replay(ghost);
    adapter.set_mode(mode);
}
