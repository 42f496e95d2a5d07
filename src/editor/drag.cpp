// The drag of the selection with its connections: what it takes along, the
// wires it leaves for an offset, and the edit that makes them.
#include "editor/drag.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_refresh.h"
#include "connectivity/net_rules.h"
#include "editor/edit_kinds.h"
#include "editor/edit_transaction.h"
#include "editor/selection.h"
#include "editor/tool_mode.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/pin.h"
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

// A wire of the kind of `like`, at.
Line* line_like(Line* like, Seg at) {
    Line* line = as_Line(copy_Item(like));
    if (!line) no_memory();
    line->state &= ~STATE_SELECTED;
    line->pos = at.a;
    line->end = at.b;
    return line;
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
    // Whether the drop changes a net; not judged (nullopt) when that would
    // copy more than `at_most` items.
    std::optional<bool> joins(Point delta, bool follow, size_t at_most);
    size_t copied = 0;  // by the last judgement

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

// --- what a drop does to the nets -----------------------------------------------------------------
//
// A drop is judged by the nets themselves: the items near what moves and
// what is laid are copied into a scratch sheet as they stand and as the drop
// leaves them (the refresh the edit runs included), nets are built on both,
// and their members compared, each named by the record it stands for. A
// local copy suffices: what the drop changes lies in it, and what lies
// beyond it is the same in both.

namespace {

// A member of a net: the record it stands for and which of its pins or
// sub-sheet ports (-1: a wire that leads out of the copy); or a name the
// net carries, which joins it to the nets of that name anywhere.
struct Member {
    const SchItem* record = nullptr;
    int which = 0;
    std::string name;
    auto operator<=>(const Member&) const = default;
};
using Nets = std::vector<std::vector<Member>>;

int index_in(const List* list, const void* record) {
    int i = 0;
    for (const void* item : list_items<void>(list)) {
        if (item == record) return i;
        ++i;
    }
    return -1;
}

// A scratch sheet of copies on the document's library; its nets as members
// of the records the copies stand for. A wire that leaves the copied
// areas may lead to members beyond them: the copy of one of `leaving`
// stands for them.
class ScratchSheet {
public:
    ScratchSheet(Schema* doc, const std::unordered_set<const SchItem*>& leaving)
        : leaving_originals_(leaving) {
        schema_.library = doc->library;
        sheet_.items = list_new();
        ports_ = list_new();
        if (!sheet_.items || !ports_) no_memory();
        schema_.sheet = schema_.current = &sheet_;
        schema_.ports = ports_;
        schema_.edit.scratch_copy = true;
    }
    ~ScratchSheet() {
        drop_sheet_index(&schema_);
        for (SchItem* item : absorbed_) free_SchItem(&schema_, item, false);
        for (List* list : {sheet_.items, ports_}) {
            for (SchItem* item : list_items<SchItem>(list)) free_SchItem(&schema_, item, false);
            dlist_free(list, LIST_FROM_HEAD, nullptr);
        }
        schema_.library = nullptr;
        schema_.sheet = schema_.current = nullptr;
        schema_.ports = nullptr;
    }
    ScratchSheet(const ScratchSheet&) = delete;
    ScratchSheet& operator=(const ScratchSheet&) = delete;

    Schema* schema() { return &schema_; }
    // Takes a copy standing for `original` (none: it stands for nothing
    // that can be a member), into the ports list when `port`.
    SchItem* add(SchItem* copy, const SchItem* original, bool touched, bool port = false) {
        if (!copy) no_memory();
        if (original && leaving_originals_.count(original)) leaving_.insert(copy);
        copy->state &= ~uint32_t{STATE_SELECTED};
        if (touched) touch(copy);
        if (!dlist_append(port ? ports_ : sheet_.items, copy)) no_memory();
        if (original) stands_for_[copy] = original;
        return copy;
    }
    // Marks a copy as an edit touched it.
    void touch(SchItem* copy) {
        copy->state |= NET_CURRENT_PASS;
        touched_.push_back(copy);
    }
    // The nets, after the refresh an edit of the touched copies runs.
    Nets nets(bool refresh) {
        if (refresh) {
            // The lines the refresh absorbs are kept until the sheet goes:
            // a record made meanwhile must not take the address of one
            // that stands for an original.
            RefreshEdits edits;
            edits.removed = [&](SchItem* line) {
                sheet_take_out(&schema_, line);
                absorbed_.push_back(line);
            };
            refresh_touched(nullptr, &schema_, touched_, edits);
        }
        NetContext* context = new_NetContext();
        if (!context) no_memory();
        Nets found;
        if (build_sheet_nets(context, &schema_) == 0 && context->islands)
            for (Ident* head : list_items<Ident>(context->islands)) {
                std::vector<Member> net;
                for (SchItem* m = head->nextconn; m; m = m->next) {
                    const PseudoPin* pp = as_PseudoPin(m);
                    const SchItem* record = pp->father ? pp->father : pp->whoami;
                    auto original = stands_for_.find(record);
                    if (original == stands_for_.end()) continue;
                    int which = 0;
                    if (pp->father && pp->father->type == PARTLIB_ITEM) {
                        PinList* pins = pl_pins_in_use(schema_.library, as_PlacedPart(pp->father));
                        which = index_in(pins ? pins->pins : nullptr, pp->pin);
                    } else if (pp->father && pp->father->type == SUBSHEET_ITEM) {
                        which = index_in(as_SubSheet(pp->father)->ports, pp->whoami);
                    }
                    net.push_back(Member{original->second, which, {}});
                }
                for (SchItem* wire = head->next; wire; wire = wire->next)
                    if (leaving_.count(wire)) net.push_back(Member{stands_for_[wire], -1, {}});
                for (const NameRec* name : list_items<NameRec>(head->names)) {
                    std::string upper = name->name ? name->name : "";
                    for (char& c : upper)
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                    net.push_back(Member{nullptr, 0, upper});
                }
                if (net.empty()) continue;
                std::sort(net.begin(), net.end());
                found.push_back(std::move(net));
            }
        free_NetContext(&schema_, context);
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    Schema schema_;
    Sheet sheet_;
    List* ports_ = nullptr;
    std::unordered_map<const SchItem*, const SchItem*> stands_for_;
    const std::unordered_set<const SchItem*>& leaving_originals_;
    std::unordered_set<const SchItem*> leaving_;
    std::vector<SchItem*> touched_;
    std::vector<SchItem*> absorbed_;  // owned
};

}  // namespace

std::optional<bool> SelectionDrag::Impl::joins(Point d, bool with_wires, size_t at_most) {
    copied = 0;
    if (moved.empty()) return false;
    if (moved.size() > at_most) return std::nullopt;
    const Layout out = with_wires ? layout(d) : Layout{};
    // Where the drop changes something, each with its neighbourhood: every
    // moved item where it was and where it goes, every follower, every
    // piece, bend and stretched wire laid. A part's rectangle leaves out
    // its supply pins, which stand out of it: the margin takes them in.
    constexpr int64_t margin = 8000;
    auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    std::vector<Rect> areas;
    auto cover = [&](Point a, Point b) {
        const Rect r = box_between(a, b);
        areas.push_back(Rect{clamp(r.x - margin), clamp(r.y - margin), clamp(r.w + 2 * margin),
                             clamp(r.h + 2 * margin)});
    };
    for (SchItem* item : moved) {
        Rect r{};
        if (!bounds_SchItem(schema(), item, &r, false)) continue;
        cover(Point{r.x, r.y}, Point{r.x + r.w, r.y + r.h});
        cover(plus(Point{r.x, r.y}, d), plus(Point{r.x + r.w, r.y + r.h}, d));
    }
    for (const Follower& follower : followers) cover(follower.wire->pos, follower.wire->end);
    for (const std::vector<Seg>& pieces : out.pieces)
        for (const Seg& at : pieces) cover(at.a, at.b);
    for (const Layout::Added& bend : out.bends) cover(bend.at.a, bend.at.b);
    for (const Layout::Stretched& st : out.stretched) {
        cover(st.wire->pos, st.wire->end);
        cover(st.at.a, st.at.b);
    }
    if (areas.empty()) return false;
    SheetIndex* index = sheet_index(schema());
    std::unordered_set<const SchItem*> stretched;
    for (const Layout::Stretched& st : out.stretched) stretched.insert(st.wire);
    // What stays near, each once, in list order, and the wires among it
    // that no area holds whole (an area that holds one also finds it).
    std::vector<SchItem*> near;
    std::unordered_set<const SchItem*> leaving;
    {
        std::unordered_map<const SchItem*, bool> held;
        auto holds = [&](const Rect& area, SchItem* item) {
            Rect r{};
            bounds_SchItem(schema(), item, &r, false);
            return r.x >= area.x && r.y >= area.y &&
                   int64_t{r.x} + r.w <= int64_t{area.x} + area.w &&
                   int64_t{r.y} + r.h <= int64_t{area.y} + area.h;
        };
        for (const Rect& area : areas)
            for (SchItem* item : items_near(session, area)) {
                if (taken.count(item) || stretched.count(item)) continue;
                auto [at, added] = held.emplace(item, false);
                if (added) near.push_back(item);
                if (!at->second) at->second = item->type != LINE_ITEM || holds(area, item);
                if (near.size() + moved.size() > at_most) return std::nullopt;
            }
        for (const auto& [item, whole] : held)
            if (!whole) leaving.insert(item);
    }
    sheet_index_sort(index, &near);
    copied = near.size() + moved.size();
    std::unordered_map<const SchItem*, Point> labels_to;
    for (size_t f = 0; with_wires && f < followers.size(); ++f)
        for (const Riding& riding : followers[f].labels)
            labels_to[riding.label] = label_place(out, f, riding, d);
    CopyExactScope exact;
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, d.x, d.y);
    // The moved items out of the way, beyond every neighbourhood: what a
    // plain move leaves, told apart from what it joins where it lands.
    Rect all = areas.front();
    for (const Rect& area : areas) rect_union(&all, area);
    Matrix away;
    matrix_identity(&away);
    matrix_translate(&away, clamp(int64_t{all.w} + 1000000), 0);
    auto scratch = [&](bool dropped, const Matrix* moved_by) {
        auto sheet = std::make_unique<ScratchSheet>(schema(), leaving);
        for (SchItem* item : near) {
            const bool port = sheet_index_list_of(index, item) == schema()->ports;
            SchItem* copy = sheet->add(copy_SchItem(schema(), item), item, false, port);
            if (!dropped) continue;
            auto label = labels_to.find(item);
            if (label != labels_to.end() && !(label->second == item->pos)) {
                copy->pos = label->second;
                sheet->touch(copy);
            }
        }
        for (SchItem* item : moved) {
            const bool port = sheet_index_list_of(index, item) == schema()->ports;
            SchItem* copy = sheet->add(copy_SchItem(schema(), item), item, dropped, port);
            if (moved_by) matrix_SchItem(copy, moved_by);
        }
        if (!dropped || !with_wires) {
            for (const Follower& follower : followers)
                sheet->add(copy_SchItem(schema(), follower.wire), follower.wire, false);
            for (const Layout::Stretched& st : out.stretched)
                sheet->add(copy_SchItem(schema(), st.wire), st.wire, false);
            return sheet;
        }
        for (size_t f = 0; f < followers.size(); ++f)
            for (size_t k = 0; k < followers[f].pieces.size(); ++k) {
                const Seg& at = out.pieces[f][k];
                if (!(at.a == at.b))
                    sheet->add(line_like(followers[f].wire, at), nullptr,
                               !(at == followers[f].pieces[k].at));
            }
        for (const Layout::Added& bend : out.bends)
            sheet->add(line_like(bend.like, bend.at), nullptr, true);
        for (const Layout::Stretched& st : out.stretched)
            if (!(st.at.a == st.at.b)) sheet->add(line_like(st.wire, st.at), nullptr, true);
        return sheet;
    };
    const Nets before =
        with_wires ? scratch(false, nullptr)->nets(false) : scratch(false, &away)->nets(false);
    return scratch(true, &shift)->nets(true) != before;
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

bool SelectionDrag::joins_another_net(Point delta) {
    return *impl_->joins(delta, impl_->follow, SIZE_MAX);
}

std::optional<bool> SelectionDrag::joins_another_net_within(Point delta, size_t at_most) {
    return impl_->joins(delta, impl_->follow, at_most);
}

size_t SelectionDrag::copied() const { return impl_->copied; }

namespace {

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
