// The drag of the selection with its connections: what it takes along, the
// wires it leaves for an offset, and the edit that makes them.
#include "editor/drag.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "connectivity/net_rules.h"
#include "editor/edit_kinds.h"
#include "editor/edit_transaction.h"
#include "editor/selection.h"
#include "editor/tool_mode.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"

namespace {

struct Seg {
    Point a, b;
    bool operator==(const Seg&) const = default;
};

Point plus(Point p, Point d) {
    return Point{static_cast<int32_t>(int64_t{p.x} + d.x),
                 static_cast<int32_t>(int64_t{p.y} + d.y)};
}

bool point_less(Point a, Point b) { return a.x != b.x ? a.x < b.x : a.y < b.y; }

// The rectangle between two points.
Rect box_between(Point a, Point b) {
    return Rect{std::min(a.x, b.x), std::min(a.y, b.y),
                static_cast<int32_t>(std::min<int64_t>(std::llabs(int64_t{b.x} - a.x), INT32_MAX)),
                static_cast<int32_t>(std::min<int64_t>(std::llabs(int64_t{b.y} - a.y), INT32_MAX))};
}

bool meets(const Rect& r, Point a, Point b) {
    const Rect s = box_between(a, b);
    return int64_t{s.x} <= int64_t{r.x} + r.w && int64_t{r.x} <= int64_t{s.x} + s.w &&
           int64_t{s.y} <= int64_t{r.y} + r.h && int64_t{r.y} <= int64_t{s.y} + s.h;
}

// Wires and buses carry connections; drawing lines do not.
bool is_wire(const SchItem* item) {
    return item->type == LINE_ITEM && (item->flags & STYLE_MASK) != DRAW;
}

int64_t cross(Point o, Point a, Point b) {
    return (int64_t{a.x} - o.x) * (int64_t{b.y} - o.y) -
           (int64_t{a.y} - o.y) * (int64_t{b.x} - o.x);
}

// Two segments on one line sharing more than a point.
bool overlap(Seg s, Seg t) {
    if (s.a == s.b || t.a == t.b) return false;
    if (cross(s.a, s.b, t.a) != 0 || cross(s.a, s.b, t.b) != 0) return false;
    const bool across = s.a.x != s.b.x;
    auto at = [&](Point p) { return across ? int64_t{p.x} : int64_t{p.y}; };
    const int64_t lo = std::max(std::min(at(s.a), at(s.b)), std::min(at(t.a), at(t.b)));
    const int64_t hi = std::min(std::max(at(s.a), at(s.b)), std::max(at(t.a), at(t.b)));
    return hi > lo;
}

// What a new or moved wire must keep clear of near it: the points where
// things connect and the lines a wire end would join or fuse with (wires,
// buses, pins).
struct Scene {
    std::vector<Point> points;
    std::vector<Seg> lines;
};

// A wire a drag follows, cut into pieces at the connections it runs
// through; `moves` says which ends of each piece go with the drag.
struct Piece {
    Seg at;
    bool a_moves = false;
    bool b_moves = false;
};
// A label on a follower names its net: it stays on the piece it stood on.
struct Riding {
    SchItem* label;
    size_t piece;
};
struct Follower {
    Line* wire;
    std::vector<Piece> pieces;
    std::vector<Riding> labels;
};

// The wires for one offset.
struct Layout {
    std::vector<std::vector<Seg>> pieces;  // per follower, per piece; a == b: gone
    struct Added {
        Line* like;  // the follower whose kind it takes
        Seg at;
    };
    std::vector<Added> bends;
    struct Stretched {
        Line* wire;
        Seg at;  // a == b: gone
    };
    std::vector<Stretched> stretched;
};

}  // namespace

struct SelectionDrag::Impl {
    EditSession* session;
    std::vector<SchItem*> moved;
    std::vector<Point> points;  // where the moved items connect, sorted
    // The drawn lines of the moved parts' supply pins: what stands on one
    // stands on the pin, which connects at its own place by the body.
    std::vector<Seg> supply;
    std::vector<Follower> followers;
    std::unordered_set<const SchItem*> taken;  // moved items and followers

    explicit Impl(EditSession* s) : session(s) {}
    Schema* schema() const { return session->schema; }
    bool follow = true;
    bool attached(Point p) const {
        if (std::binary_search(points.begin(), points.end(), p, point_less)) return true;
        for (const Seg& line : supply)
            if (point_on_segment(p, line.a, line.b) != 0) return true;
        return false;
    }

    void find_moved();
    void find_carried();
    void find_followers();
    Layout layout(Point delta);
    Point label_place(const Layout& out, size_t f, const Riding& riding, Point d) const;
    bool joins(Point delta, bool follow);

    // The scene near a rectangle for the layout under way.
    void static_scene(const Rect& area, const SchItem* also_skip, Scene* scene);
    bool clear_of(const Scene& scene, Seg s, std::initializer_list<Point> meant);
    bool clear(Seg s, std::initializer_list<Point> meant, const SchItem* skip = nullptr);
    // The one wire that meets the follower's end at a corner there and
    // nothing else, or null.
    Line* lone_corner(Line* follower, Point end, bool piece_across);

    // While a layout is worked out: the new places of what moves, and the
    // wires decided so far.
    Point delta{};
    Point pin_to{};  // where the piece being laid out ends: its pin's new place
    std::vector<Point> moved_points;
    std::vector<Seg> moved_lines;
    std::vector<Seg> kept;     // pieces of followers that stay where they are
    std::vector<Seg> settled;  // wires laid out anew so far
    std::unordered_set<const SchItem*> stretched_now;
};

namespace {

List* sheet_list(EditSession* session) { return session->schema->current->items; }

// The items of the sheet whose rectangles meet the point.
std::vector<SchItem*> items_at(EditSession* session, Point p) {
    return items_near(session, Rect{p.x, p.y, 0, 0});
}

// The symbols, marks, junctions and labels that stand where the moved items
// connect (on a supply pin's drawn line too) go with them.
bool carried_along(const SchItem* item) {
    switch (item->type) {
        case POWER_ITEM:
        case NOCON_ITEM:
        case JUNCTION_ITEM: return true;
        case TEXT_ITEM: return (item->flags & TEXT_TYPE_MASK) == LABEL;
        default: return false;
    }
}

// The short lines by which a power symbol, a port or a sub-sheet port joins
// a wire (as net building lays them): a wire along one hides it from the
// net, like a wire along a pin's line.
void stub_lines(const SchItem* item, std::vector<Seg>* out) {
    switch (item->type) {
        case POWER_ITEM: {
            static const Point towards[4] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};
            const int rotation = item->flags & POWER_ROT_MASK;
            const Point d = rotation < 4 ? towards[rotation] : towards[0];
            out->push_back(Seg{item->pos, plus(item->pos, Point{-20 * d.x, -20 * d.y})});
            break;
        }
        case PORT_ITEM:
            out->push_back(
                Seg{item->pos, plus(item->pos, Point{item->flags & PORT_RIGHT ? 1000 : -1000, 0})});
            break;
        case SUBSHEET_ITEM:
            for (const SchItem* port : list_items<SchItem>(as_SubSheet(item)->ports)) {
                const Point p = plus(item->pos, port->pos);
                out->push_back(Seg{p, plus(p, Point{port->pos.x == 0 ? 1000 : -1000, 0})});
            }
            break;
        default: break;
    }
}

bool is_label(const SchItem* item) {
    return item->type == TEXT_ITEM && (item->flags & TEXT_TYPE_MASK) == LABEL;
}

// Wires carry nets; buses and drawing lines do not.
bool carries_net(const SchItem* item) {
    return item->type == LINE_ITEM && (item->flags & STYLE_MASK) == 0;
}

}  // namespace

void SelectionDrag::Impl::find_moved() {
    SheetIndex* index = sheet_index(schema());
    for (SchItem* item : list_items<SchItem>(schema()->edit.edit_list))
        if (sheet_index_list_of(index, item)) moved.push_back(item);
    taken.insert(moved.begin(), moved.end());
}

void SelectionDrag::Impl::find_carried() {
    std::vector<PinLine> pins;
    for (SchItem* item : moved) {
        item_connection_points(schema(), item, &points);
        if (item->type != PARTLIB_ITEM) continue;
        pins.clear();
        part_pin_lines(schema(), as_PlacedPart(item), &pins);
        for (const PinLine& pin : pins)
            if (pin.power && !(pin.drawn == pin.tip)) supply.push_back(Seg{pin.drawn, pin.tip});
    }
    std::sort(points.begin(), points.end(), point_less);
    points.erase(std::unique(points.begin(), points.end()), points.end());
    std::vector<SchItem*> near;
    for (Point p : points)
        for (SchItem* item : items_at(session, p)) near.push_back(item);
    for (const Seg& line : supply)
        for (SchItem* item : items_near(session, box_between(line.a, line.b))) near.push_back(item);
    sheet_index_sort(sheet_index(schema()), &near);
    for (SchItem* item : near)
        if (carried_along(item) && !taken.count(item) && attached(item->pos) &&
            sheet_index_list_of(sheet_index(schema()), item) == sheet_list(session)) {
            taken.insert(item);
            moved.push_back(item);
        }
}

void SelectionDrag::Impl::find_followers() {
    SheetIndex* index = sheet_index(schema());
    // The wires with an end on one of the points, in list order.
    std::vector<SchItem*> near;
    auto add_near = [&](const Rect& area) {
        for (SchItem* item : items_near(session, area))
            if (is_wire(item) && !taken.count(item) &&
                sheet_index_list_of(index, item) == sheet_list(session))
                near.push_back(item);
    };
    for (Point p : points) add_near(Rect{p.x, p.y, 0, 0});
    for (const Seg& line : supply) add_near(box_between(line.a, line.b));
    sheet_index_sort(index, &near);
    near.erase(std::unique(near.begin(), near.end()), near.end());
    std::vector<Point> connections;
    for (SchItem* item : near) {
        Line* wire = as_Line(item);
        // A wire running through a point where a moved item connects (a
        // pin's end in its middle) follows it too, cut there.
        std::vector<Point> cuts;
        for (Point p : points)
            if (point_on_segment(p, wire->pos, wire->end) == 1) cuts.push_back(p);
        if (!attached(wire->pos) && !attached(wire->end) && cuts.empty()) continue;
        taken.insert(wire);
        // The connections it runs through (a point of an item lies in its
        // rectangle), found before anything moves.
        connections.clear();
        for (SchItem* other : items_near(session, box_between(wire->pos, wire->end)))
            if (other != wire) item_connection_points(schema(), other, &connections);
        for (Point p : connections)
            if (point_on_segment(p, wire->pos, wire->end) == 1) cuts.push_back(p);
        const Point from = wire->pos;
        auto distance = [&](Point p) {
            return std::llabs(int64_t{p.x} - from.x) + std::llabs(int64_t{p.y} - from.y);
        };
        std::sort(cuts.begin(), cuts.end(),
                  [&](Point a, Point b) { return distance(a) < distance(b); });
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        cuts.insert(cuts.begin(), wire->pos);
        cuts.push_back(wire->end);
        Follower follower{wire, {}, {}};
        for (size_t k = 0; k + 1 < cuts.size(); ++k)
            follower.pieces.push_back(
                Piece{Seg{cuts[k], cuts[k + 1]}, attached(cuts[k]), attached(cuts[k + 1])});
        for (SchItem* other : items_near(session, box_between(wire->pos, wire->end))) {
            if (!is_label(other) || taken.count(other)) continue;
            for (size_t k = 0; k < follower.pieces.size(); ++k)
                if (point_on_segment(other->pos, follower.pieces[k].at.a,
                                     follower.pieces[k].at.b) != 0) {
                    follower.labels.push_back(Riding{other, k});
                    break;
                }
        }
        followers.push_back(std::move(follower));
    }
}

void SelectionDrag::Impl::static_scene(const Rect& area, const SchItem* also_skip, Scene* scene) {
    std::vector<PinLine> pins;
    for (SchItem* item : items_near(session, area)) {
        if (taken.count(item) || item == also_skip || stretched_now.count(item)) continue;
        if (item->type == LINE_ITEM) {
            if (!is_wire(item)) continue;
            const Line* line = as_Line(item);
            scene->lines.push_back(Seg{line->pos, line->end});
            scene->points.push_back(line->pos);
            scene->points.push_back(line->end);
        } else if (item->type == PARTLIB_ITEM) {
            pins.clear();
            part_pin_lines(schema(), as_PlacedPart(item), &pins);
            for (const PinLine& pin : pins) {
                scene->points.push_back(pin.tip);
                if (!pin.power) scene->lines.push_back(Seg{pin.tip, pin.inner});
            }
        } else {
            item_connection_points(schema(), item, &scene->points);
            stub_lines(item, &scene->lines);
        }
    }
}

bool SelectionDrag::Impl::clear_of(const Scene& scene, Seg s, std::initializer_list<Point> meant) {
    auto is_meant = [&](Point p) {
        return std::find(meant.begin(), meant.end(), p) != meant.end();
    };
    for (Point q : scene.points) {
        const int on = point_on_segment(q, s.a, s.b);
        if (on == 1 || (on != 0 && !is_meant(q))) return false;
    }
    for (const Seg& t : scene.lines) {
        if (overlap(s, t)) return false;
        for (Point end : {s.a, s.b})
            if (!is_meant(end) && point_on_segment(end, t.a, t.b) == 1) return false;
    }
    return true;
}

bool SelectionDrag::Impl::clear(Seg s, std::initializer_list<Point> meant, const SchItem* skip) {
    const Rect area = box_between(s.a, s.b);
    Scene scene;
    static_scene(area, skip, &scene);
    for (const Seg& t : kept)
        if (meets(area, t.a, t.b)) {
            scene.lines.push_back(t);
            scene.points.push_back(t.a);
            scene.points.push_back(t.b);
        }
    if (!clear_of(scene, s, meant)) return false;
    // What moves or was laid out already is met only at the dragged pin's
    // new place (there the pin and the wires that follow it meet): a far
    // end or a corner that it reaches, or that lies in line with it, would
    // join another net.
    auto at_pin = [&](Point p) { return p == pin_to; };
    for (Point q : moved_points) {
        const int on = point_on_segment(q, s.a, s.b);
        if (on == 1 || (on != 0 && !at_pin(q))) return false;
    }
    for (const std::vector<Seg>* lines : {&moved_lines, &settled})
        for (const Seg& t : *lines) {
            if (!meets(area, t.a, t.b)) continue;
            if (overlap(s, t)) return false;
            for (Point end : {s.a, s.b}) {
                const int on = point_on_segment(end, t.a, t.b);
                if (on == 1 || (on != 0 && !at_pin(end))) return false;
            }
            for (Point end : {t.a, t.b})
                if (point_on_segment(end, s.a, s.b) == 1) return false;
        }
    return true;
}

Line* SelectionDrag::Impl::lone_corner(Line* follower, Point end, bool piece_across) {
    if (!(follower->pos == end || follower->end == end)) return nullptr;
    Line* corner = nullptr;
    std::vector<Point> at;
    std::vector<PinLine> pins;
    for (SchItem* item : items_at(session, end)) {
        if (item == follower) continue;
        if (item->type == LINE_ITEM) {
            const Line* line = as_Line(item);
            const int on = point_on_segment(end, line->pos, line->end);
            if (on == 0 || (item->flags & STYLE_MASK) == DRAW) continue;
            // Another wire meets the end: the only one, of the same kind,
            // ending there at a right angle, and free to change.
            if (on == 1 || corner || taken.count(item) || stretched_now.count(item) ||
                (item->flags & STYLE_MASK) != (follower->flags & STYLE_MASK) ||
                (piece_across ? line->pos.x != line->end.x : line->pos.y != line->end.y))
                return nullptr;
            corner = as_Line(item);
            continue;
        }
        at.clear();
        if (item->type == PARTLIB_ITEM) {
            pins.clear();
            part_pin_lines(schema(), as_PlacedPart(item), &pins);
            for (const PinLine& pin : pins)
                if (point_on_segment(end, pin.tip, pin.inner) != 0) return nullptr;
        } else {
            item_connection_points(schema(), item, &at);
            if (std::find(at.begin(), at.end(), end) != at.end()) return nullptr;
        }
    }
    // Nothing that moves may stand there now either.
    for (Point p : moved_points)
        if (p == end) return nullptr;
    for (const std::vector<Seg>* lines : {&moved_lines, &kept, &settled})
        for (const Seg& t : *lines)
            if (point_on_segment(end, t.a, t.b) != 0) return nullptr;
    return corner;
}

Layout SelectionDrag::Impl::layout(Point d) {
    delta = d;
    moved_points.clear();
    moved_lines.clear();
    kept.clear();
    settled.clear();
    stretched_now.clear();
    std::vector<PinLine> pins;
    for (SchItem* item : moved) {
        if (item->type == PARTLIB_ITEM) {
            pins.clear();
            part_pin_lines(schema(), as_PlacedPart(item), &pins);
            for (const PinLine& pin : pins) {
                moved_points.push_back(plus(pin.tip, d));
                if (!pin.power) moved_lines.push_back(Seg{plus(pin.tip, d), plus(pin.inner, d)});
            }
            continue;
        }
        if (is_wire(item))
            moved_lines.push_back(Seg{plus(item->pos, d), plus(as_Line(item)->end, d)});
        std::vector<Seg> stubs;
        stub_lines(item, &stubs);
        for (const Seg& stub : stubs) moved_lines.push_back(Seg{plus(stub.a, d), plus(stub.b, d)});
        std::vector<Point> at;
        item_connection_points(schema(), item, &at);
        for (Point p : at) moved_points.push_back(plus(p, d));
    }

    Layout out;
    out.pieces.resize(followers.size());
    // The pieces that keep their shape first: the others must keep clear
    // of them.
    for (size_t f = 0; f < followers.size(); ++f) {
        out.pieces[f].resize(followers[f].pieces.size());
        for (size_t k = 0; k < followers[f].pieces.size(); ++k) {
            const Piece& piece = followers[f].pieces[k];
            if (piece.a_moves == piece.b_moves) {
                Seg at = piece.at;
                if (piece.a_moves) at = Seg{plus(at.a, d), plus(at.b, d)};
                out.pieces[f][k] = at;
                (piece.a_moves ? settled : kept).push_back(at);
            }
        }
    }
    for (size_t f = 0; f < followers.size(); ++f) {
        Line* wire = followers[f].wire;
        for (size_t k = 0; k < followers[f].pieces.size(); ++k) {
            const Piece& piece = followers[f].pieces[k];
            if (piece.a_moves == piece.b_moves) continue;
            // From the end that stays (f) to the end that moves (m).
            const Point fixed = piece.a_moves ? piece.at.b : piece.at.a;
            const Point was = piece.a_moves ? piece.at.a : piece.at.b;
            const Point to = plus(was, d);
            pin_to = to;
            auto take = [&](Point f_end, Point m_end) {
                const Seg at = piece.a_moves ? Seg{m_end, f_end} : Seg{f_end, m_end};
                out.pieces[f][k] = at;
                if (!(at.a == at.b)) settled.push_back(at);
            };
            auto bend = [&](Seg at) {
                out.bends.push_back(Layout::Added{wire, at});
                settled.push_back(at);
            };
            const bool across = was.y == fixed.y && was.x != fixed.x;
            const bool down = was.x == fixed.x && was.y != fixed.y;
            if (to == fixed || !(across || down) || (across && d.y == 0) || (down && d.x == 0)) {
                take(fixed, to);  // along its own direction, or not straight to begin with
                continue;
            }
            // A bend at the dragged end.
            const Point corner = across ? Point{to.x, fixed.y} : Point{fixed.x, to.y};
            if (corner == fixed
                    ? clear(Seg{fixed, to}, {fixed, to})
                    : clear(Seg{fixed, corner}, {fixed}) && clear(Seg{corner, to}, {to})) {
                if (corner == fixed) {
                    take(fixed, to);
                } else {
                    take(fixed, corner);
                    bend(Seg{corner, to});
                }
                continue;
            }
            // The piece moved across: the wire at its far corner stretched,
            // or a bend there.
            const Point shifted = across ? Point{fixed.x, to.y} : Point{to.x, fixed.y};
            if (Line* neighbour = lone_corner(wire, fixed, across)) {
                const Point other = neighbour->pos == fixed ? neighbour->end : neighbour->pos;
                const bool gone = other == shifted;
                if (gone ? clear(Seg{other, to}, {other, to}, neighbour)
                         : clear(Seg{shifted, to}, {to}, neighbour) &&
                               clear(Seg{shifted, other}, {other}, neighbour)) {
                    take(shifted, to);
                    const Seg at = neighbour->pos == fixed ? Seg{shifted, neighbour->end}
                                                           : Seg{neighbour->pos, shifted};
                    out.stretched.push_back(Layout::Stretched{neighbour, at});
                    stretched_now.insert(neighbour);
                    if (!gone) settled.push_back(at);
                    continue;
                }
            }
            if (clear(Seg{shifted, to}, {to}) && clear(Seg{fixed, shifted}, {fixed})) {
                take(shifted, to);
                bend(Seg{fixed, shifted});
                continue;
            }
            // No bend keeps clear: straight, joined at both ends.
            take(fixed, to);
        }
    }
    return out;
}

// What a drop by the offset would join that was not joined: the moved
// items' connection points, labels and pin lines against what stays (wires,
// pins, points where things connect, labels), and the wires a drag lays
// anew against both. What the moved things already reached through the
// wires that follow them (every point of such a wire is on their net) may
// meet them; so may a laid wire's ends where its wire ended before and on
// the moved points it follows.
bool SelectionDrag::Impl::joins(Point d, bool with_wires) {
    // Something that moves: where it is, where it goes, and the points it
    // may meet there.
    struct Moving {
        Seg was;
        Seg now;
        std::vector<Point> reaches;
        int follower = -1;  // a piece of that follower moved whole
        // A pin's line short of a supply pin: a wire along it from the tip
        // hides the pin from its net, whatever net the wire is on.
        bool pin = false;
    };
    std::vector<Moving> mp, ml;  // points, lines
    std::vector<PinLine> pins;
    auto moving = [&](Point a, Point b) {
        return Moving{Seg{a, b}, Seg{plus(a, d), plus(b, d)}, {}, -1};
    };
    for (SchItem* item : moved) {
        if (item->type == PARTLIB_ITEM) {
            pins.clear();
            part_pin_lines(schema(), as_PlacedPart(item), &pins);
            for (const PinLine& pin : pins) {
                mp.push_back(moving(pin.tip, pin.tip));
                ml.push_back(moving(pin.tip, pin.power ? pin.drawn : pin.inner));
                ml.back().pin = !pin.power;
            }
            continue;
        }
        if (is_label(item)) mp.push_back(moving(item->pos, item->pos));
        std::vector<Seg> stubs;
        stub_lines(item, &stubs);
        for (const Seg& stub : stubs) {
            ml.push_back(moving(stub.a, stub.b));
            ml.back().pin = true;
        }
        if (carries_net(item)) ml.push_back(moving(item->pos, as_Line(item)->end));
        std::vector<Point> at;
        item_connection_points(schema(), item, &at);
        for (Point p : at) mp.push_back(moving(p, p));
    }
    // The wires laid anew, each with the points where it may end: those of
    // its wire before, and the moved points.
    struct Laid {
        Seg at;
        std::vector<Point> ends;
    };
    std::vector<Laid> laid;
    struct Kept {
        Seg at;
        int follower;
    };
    std::vector<Kept> kept_pieces;
    std::vector<std::vector<Point>> follower_points(followers.size());
    std::unordered_set<const SchItem*> stretched;  // laid anew: not as they stand
    const Layout out = with_wires ? layout(d) : Layout{};
    if (with_wires) {
        std::unordered_map<const Line*, size_t> index_of;
        for (size_t f = 0; f < followers.size(); ++f) {
            index_of[followers[f].wire] = f;
            for (const Piece& piece : followers[f].pieces) {
                follower_points[f].push_back(piece.at.a);
                follower_points[f].push_back(piece.at.b);
            }
        }
        for (size_t f = 0; f < followers.size(); ++f)
            for (size_t k = 0; k < followers[f].pieces.size(); ++k) {
                const Piece& piece = followers[f].pieces[k];
                const Seg& now = out.pieces[f][k];
                if (now.a == now.b) continue;
                if (!piece.a_moves && !piece.b_moves) {
                    kept_pieces.push_back(Kept{now, static_cast<int>(f)});
                } else if (piece.a_moves && piece.b_moves) {
                    Moving whole{piece.at, now, {}, static_cast<int>(f)};
                    ml.push_back(whole);
                } else {
                    laid.push_back(Laid{now, follower_points[f]});
                }
            }
        for (const Layout::Added& bend : out.bends)
            laid.push_back(Laid{bend.at, follower_points[index_of[bend.like]]});
        for (const Layout::Stretched& s : out.stretched) {
            stretched.insert(s.wire);
            if (!(s.at.a == s.at.b)) laid.push_back(Laid{s.at, {s.wire->pos, s.wire->end}});
        }
        // What each moving thing reaches through the followers attached to it.
        for (std::vector<Moving>* list : {&mp, &ml})
            for (Moving& m : *list)
                for (size_t f = 0; f < followers.size(); ++f) {
                    bool touches = static_cast<int>(f) == m.follower;
                    for (const Piece& piece : followers[f].pieces)
                        for (const auto& [end, moves] : {std::pair{piece.at.a, piece.a_moves},
                                                         std::pair{piece.at.b, piece.b_moves}})
                            touches =
                                touches || (moves && point_on_segment(end, m.was.a, m.was.b) != 0);
                    if (touches)
                        m.reaches.insert(m.reaches.end(), follower_points[f].begin(),
                                         follower_points[f].end());
                }
    }
    // What stays, near all that.
    Rect area{};
    bool any = false;
    auto cover = [&](Point a, Point b) {
        const Rect r = box_between(a, b);
        if (any) {
            rect_union(&area, r);
        } else {
            area = r;
            any = true;
        }
    };
    for (const Moving& m : mp) cover(m.now.a, m.now.b);
    for (const Moving& m : ml) cover(m.now.a, m.now.b);
    for (const Laid& l : laid) cover(l.at.a, l.at.b);
    if (!any) return false;
    // Supply pins stand out of their part's rectangle.
    constexpr int64_t margin = 8000;
    auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    area = Rect{clamp(area.x - margin), clamp(area.y - margin), clamp(area.w + 2 * margin),
                clamp(area.h + 2 * margin)};
    std::vector<Point> sp;       // points that stay
    std::vector<Seg> sl;         // lines that stay: wires and pins
    std::vector<Seg> pin_lines;  // of them, the pins short of supply pins
    for (const Kept& k : kept_pieces) {
        sl.push_back(k.at);
        sp.push_back(k.at.a);
        sp.push_back(k.at.b);
    }
    SheetIndex* index = sheet_index(schema());
    for (SchItem* item : items_near(session, area)) {
        if (taken.count(item) || stretched.count(item) || !sheet_index_list_of(index, item))
            continue;
        if (item->type == LINE_ITEM) {
            if (!carries_net(item)) continue;
            sl.push_back(Seg{item->pos, as_Line(item)->end});
            sp.push_back(item->pos);
            sp.push_back(as_Line(item)->end);
        } else if (item->type == PARTLIB_ITEM) {
            pins.clear();
            part_pin_lines(schema(), as_PlacedPart(item), &pins);
            for (const PinLine& pin : pins) {
                sp.push_back(pin.tip);
                sl.push_back(Seg{pin.tip, pin.power ? pin.drawn : pin.inner});
                if (!pin.power) pin_lines.push_back(sl.back());
            }
        } else if (is_label(item)) {
            sp.push_back(item->pos);
        } else {
            item_connection_points(schema(), item, &sp);
            stub_lines(item, &pin_lines);
        }
    }
    auto in = [](Point p, const std::vector<Point>& points) {
        return std::find(points.begin(), points.end(), p) != points.end();
    };
    // A moving thing meets what stays where it reaches nothing of it before.
    for (const std::vector<Moving>* list : {&mp, &ml})
        for (const Moving& m : *list) {
            const bool line = !(m.now.a == m.now.b);
            for (Point q : sp)
                if (point_on_segment(q, m.now.a, m.now.b) != 0 && !in(q, m.reaches)) return true;
            // Along a pin's line, one of the two is hidden from its net.
            if (line && m.pin)
                for (const Seg& t : sl)
                    if (overlap(m.now, t)) return true;
            if (line)
                for (const Seg& t : pin_lines)
                    if (overlap(m.now, t)) return true;
            for (size_t t = 0; t < sl.size(); ++t) {
                // A line with an end on the net is on it (a pin's line
                // overlapped excepted, above).
                if (in(sl[t].a, m.reaches) || in(sl[t].b, m.reaches)) continue;
                if (line ? overlap(m.now, sl[t]) : point_on_segment(m.now.a, sl[t].a, sl[t].b) != 0)
                    return true;
            }
        }
    // A label put anew lies on no other net's wire.
    for (size_t f = 0; with_wires && f < followers.size(); ++f)
        for (const Riding& riding : followers[f].labels) {
            const Point at = label_place(out, f, riding, d);
            if (at == riding.label->pos) continue;
            for (const Seg& t : sl)
                if (point_on_segment(at, t.a, t.b) != 0 && !in(t.a, follower_points[f]) &&
                    !in(t.b, follower_points[f]))
                    return true;
        }
    // A laid wire meets nothing but at its ends as meant.
    for (size_t i = 0; i < laid.size(); ++i) {
        const Laid& l = laid[i];
        for (const Seg& t : sl)
            if (overlap(l.at, t)) return true;
        for (const Moving& m : ml)
            if (m.pin && overlap(l.at, m.now)) return true;
        for (const Seg& t : pin_lines)
            if (overlap(l.at, t)) return true;
        for (Point q : sp)
            if (point_on_segment(q, l.at.a, l.at.b) == 1) return true;
        for (const std::vector<Moving>* list : {&mp, &ml})
            for (const Moving& m : *list) {
                // What the laid wire's net reaches is its own.
                if (std::any_of(l.ends.begin(), l.ends.end(),
                                [&](Point e) { return in(e, m.reaches); }))
                    continue;
                if (overlap(l.at, m.now)) return true;
                for (Point e : {m.now.a, m.now.b})
                    if (point_on_segment(e, l.at.a, l.at.b) == 1) return true;
            }
        for (size_t j = 0; j < laid.size(); ++j)
            if (j != i && overlap(l.at, laid[j].at)) return true;
        for (Point e : {l.at.a, l.at.b}) {
            if (in(e, l.ends)) continue;
            bool meant = false;
            for (const Moving& m : mp) meant = meant || m.now.a == e;
            if (meant) continue;
            if (in(e, sp)) return true;
            for (const Seg& t : sl)
                if (point_on_segment(e, t.a, t.b) != 0) return true;
            for (size_t j = 0; j < laid.size(); ++j)
                if (j != i && point_on_segment(e, laid[j].at.a, laid[j].at.b) == 1) return true;
        }
    }
    return false;
}

// Where a label riding on a follower's piece goes for the layout: where it
// is while the piece is where it was or still holds it, moved with a piece
// that moves whole, else as far from the piece's end that stays as it was
// (across or down; on a slanting piece, at that end).
Point SelectionDrag::Impl::label_place(const Layout& out, size_t f, const Riding& riding,
                                       Point d) const {
    const Piece& piece = followers[f].pieces[riding.piece];
    const Seg& now = out.pieces[f][riding.piece];
    const Point at = riding.label->pos;
    if (piece.a_moves && piece.b_moves) return plus(at, d);
    if (point_on_segment(at, now.a, now.b) != 0) return at;
    const Point was_fixed = piece.a_moves ? piece.at.b : piece.at.a;
    const Point now_fixed = piece.a_moves ? now.b : now.a;
    const Point now_moving = piece.a_moves ? now.a : now.b;
    const int64_t along =
        std::llabs(int64_t{at.x} - was_fixed.x) + std::llabs(int64_t{at.y} - was_fixed.y);
    if (now_fixed.x == now_moving.x) {
        const int64_t length = std::llabs(int64_t{now_moving.y} - now_fixed.y);
        const int64_t step = std::min(along, length) * (now_moving.y > now_fixed.y ? 1 : -1);
        return Point{now_fixed.x, static_cast<int32_t>(now_fixed.y + step)};
    }
    if (now_fixed.y == now_moving.y) {
        const int64_t length = std::llabs(int64_t{now_moving.x} - now_fixed.x);
        const int64_t step = std::min(along, length) * (now_moving.x > now_fixed.x ? 1 : -1);
        return Point{static_cast<int32_t>(now_fixed.x + step), now_fixed.y};
    }
    return now_fixed;
}

SelectionDrag::SelectionDrag(EditSession* session, bool follow)
    : impl_(std::make_unique<Impl>(session)) {
    impl_->follow = follow;
    if (!session->schema || !session->schema->current) return;
    impl_->find_moved();
    if (!follow) return;
    impl_->find_carried();
    impl_->find_followers();
}

SelectionDrag::~SelectionDrag() = default;

const std::vector<SchItem*>& SelectionDrag::moved() const { return impl_->moved; }

bool SelectionDrag::joins_another_net(Point delta) { return impl_->joins(delta, impl_->follow); }

namespace {

Line* line_like(Line* like, Seg at) {
    Line* line = as_Line(copy_Item(like));
    if (!line) no_memory();
    line->state &= ~STATE_SELECTED;
    line->pos = at.a;
    line->end = at.b;
    return line;
}

void append(List** out, SchItem* item) {
    if (!*out && !(*out = list_new())) no_memory();
    if (!dlist_append(*out, item)) no_memory();
}

}  // namespace

void SelectionDrag::ghost_wires(Point delta, List** out) {
    const Layout layout = impl_->layout(delta);
    for (size_t f = 0; f < impl_->followers.size(); ++f) {
        const Follower& follower = impl_->followers[f];
        for (size_t k = 0; k < follower.pieces.size(); ++k) {
            const Seg& at = layout.pieces[f][k];
            if (!(at == follower.pieces[k].at) && !(at.a == at.b))
                append(out, line_like(follower.wire, at));
        }
    }
    for (const Layout::Added& bend : layout.bends) append(out, line_like(bend.like, bend.at));
    for (const Layout::Stretched& s : layout.stretched)
        if (!(s.at.a == s.at.b)) append(out, line_like(s.wire, s.at));
}

void SelectionDrag::apply(EditTransaction* edit, Point delta) {
    const Layout layout = impl_->layout(delta);
    List* items = sheet_list(impl_->session);
    auto add = [&](Line* like, Seg at) {
        Line* line = line_like(like, at);
        if (!dlist_append(items, line)) no_memory();
        edit->touch(line);
    };
    for (size_t f = 0; f < impl_->followers.size(); ++f) {
        const Follower& follower = impl_->followers[f];
        const std::vector<Seg>& now = layout.pieces[f];
        bool same = true;
        for (size_t k = 0; k < now.size(); ++k) same = same && now[k] == follower.pieces[k].at;
        if (same) continue;  // a bend at its end, or nothing: it stays whole
        Line* wire = follower.wire;
        const bool any =
            std::any_of(now.begin(), now.end(), [](const Seg& at) { return !(at.a == at.b); });
        if (!any) {
            edit->remove(wire);  // the dragged end came onto the other
            continue;
        }
        // The wire takes its first piece left; the others are new wires.
        edit->before(wire);
        bool kept = false;
        for (const Seg& at : now) {
            if (at.a == at.b) continue;
            if (kept) {
                add(wire, at);
                continue;
            }
            wire->pos = at.a;
            wire->end = at.b;
            edit->touch(wire);
            kept = true;
        }
    }
    for (const Layout::Added& bend : layout.bends) add(bend.like, bend.at);
    for (const Layout::Stretched& s : layout.stretched) {
        if (s.at.a == s.at.b) {
            edit->remove(s.wire);
            continue;
        }
        edit->before(s.wire);
        s.wire->pos = s.at.a;
        s.wire->end = s.at.b;
        edit->touch(s.wire);
    }
    for (size_t f = 0; f < impl_->followers.size(); ++f)
        for (const Riding& riding : impl_->followers[f].labels) {
            const Point to = impl_->label_place(layout, f, riding, delta);
            if (to == riding.label->pos) continue;
            edit->before(riding.label);
            riding.label->pos = to;
            edit->touch(riding.label);
        }
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, delta.x, delta.y);
    for (SchItem* item : impl_->moved) {
        edit->before(item);
        matrix_SchItem(item, &shift);
        edit->touch(item);
    }
}
