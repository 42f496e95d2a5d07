#pragma once
// Dragging the selection with its connections (a move with Ctrl).
//
// The selected items move whole, and with them the power symbols,
// no-connect marks, junctions and labels standing where they connect (a
// pin's tip, a selected wire's end, anywhere on a supply pin's drawn line,
// which connects at its own place by the body). The unselected wires and
// buses that end there, or run through a pin's tip, follow: a wire that
// runs on through another connection (a junction, a wire's end, a pin) is
// cut there first, so that only the piece between the dragged end and that
// connection follows and every net the drag touched stays whole; a label
// on a piece stays on it. A piece that would turn diagonal keeps its
// direction with a bend: first at the dragged end; else the piece moves
// across and the one wire meeting its far end at a corner stretches; else
// the piece moves across with a bend at its far end. A bend that would
// touch another connection, run along another wire, a pin or a symbol's
// stub, or end inside one is not taken; a piece no bend serves goes
// straight, as it must to stay joined.
//
// A drop that would join what was not joined, or hide a pin or symbol from
// its net (a moved pin on another net's wire, a wire laid along a pin), is
// found before it is made, by building the nets of a copy of what lies
// near (joins_another_net): a drag is then not made, and a plain move says
// so on the status line. What is copied is the neighbourhood of each thing
// the drop changes (every moved item where it was and where it goes, every
// wire it lays or stretches), so that the judgement costs what the drop
// touches; while the pointer moves, one that would copy more than a bound
// is not made (joins_another_net_within).
//
// What a drag takes along is found once, from the sheet as it stands; the
// wires for an offset are worked out without changing the sheet (the ghost
// shows them), then made in the edit. The cost follows what the drag
// touches: the document's bounds index is asked about the places involved.
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "foundation/geometry.h"

class EditTransaction;
struct EditSession;
struct List;
struct SchItem;

class SelectionDrag {
public:
    // The session must have a selection; it and the sheet must stay as they
    // are while the drag is used. Without `follow` it is the selection's
    // plain move: nothing taken along, no wire laid.
    explicit SelectionDrag(EditSession* session, bool follow = true);
    ~SelectionDrag();
    SelectionDrag(const SelectionDrag&) = delete;
    SelectionDrag& operator=(const SelectionDrag&) = delete;

    // The items that move whole: the selection's records of the sheet and
    // the ports list, then the symbols carried along.
    const std::vector<SchItem*>& moved() const;
    // The wires as a drag by the offset leaves them, as new records
    // appended to *out (made when missing; the caller frees them): every
    // piece that changes, the bends added, the wires stretched.
    void ghost_wires(Point delta, List** out);
    // Whether dropping by the offset would change a net: for a drag, any
    // change of what the nets hold; for a plain move, any beyond its items
    // leaving their wires (what they land on).
    bool joins_another_net(Point delta);
    // The same, unless judging it would copy more than `at_most` items of
    // the sheet (moved ones included): then not judged (nullopt).
    std::optional<bool> joins_another_net_within(Point delta, size_t at_most);
    // The items of the sheet the last judgement copied (0: none).
    size_t copied() const;
    // Makes the drag by the offset, in the edit.
    void apply(EditTransaction* edit, Point delta);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
