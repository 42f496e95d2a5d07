// The sheet editor's data operations on a document: giving up pick
// entries, the edit copy of a part, the edit filter and list look-ups.
#include <gtest/gtest.h>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"
#include "model/documents/edit_state.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

using namespace sheet_test;

namespace {

class EditData : public SheetTest {};

PlacedPart* place(Schema* schema, const char* name) {
    PlacedPart* pl = new_PlacedPart();
    pl->part_name.set(name);
    dlist_append(schema->sheet->items, pl);
    return pl;
}

TEST_F(EditData, ListLookUps) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    List* items = schema->sheet->items;
    DListNode* port = list_find_by_type(items, PORT_ITEM);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(static_cast<SchItem*>(port->data)->type, PORT_ITEM);
    EXPECT_EQ(list_find_by_type(items, TITLEBLOCK_ITEM), nullptr);
    EXPECT_EQ(list_find_node(items, port->data), port);
    EXPECT_EQ(list_find_node(items, &schema->titleblock), nullptr);
    EXPECT_EQ(list_find_node(nullptr, port->data), nullptr);
    EXPECT_EQ(list_find_by_type(nullptr, PORT_ITEM), nullptr);
}

TEST_F(EditData, AttributeTextLinkIsUndone) {
    SchemaPtr schema = make_schema();
    add_library_part(schema.get(), "7400");
    PlacedPart* pl = place(schema.get(), "7400");
    pl->value.state = 0;  // taken by the pick
    PseudoPin* link = new_PseudoPin();
    link->role = PP_LINK_ATTRIBUTE;
    link->whoami = new_Text();
    link->father = pl;
    link->index = 1;
    link->state |= STATE_SELECTED;
    release_picked_entry(schema.get(), link);  // text and link freed: the sanitizer checks
    EXPECT_EQ(pl->value.state, STATE_NEW);
}

TEST_F(EditData, SubsheetPortLinkGivesThePortBack) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    SubSheet* box = as_SubSheet(static_cast<SchItem*>(list_find_by_type(schema->sheet->items, SUBSHEET_ITEM)->data));
    Port* port = static_cast<Port*>(box->ports->head->data);
    port->state = 0x8008;
    PseudoPin* link = new_PseudoPin();
    link->role = PP_LINK_SUBSHEET_PORT;
    link->whoami = port;
    link->father = box;
    release_picked_entry(schema.get(), link);
    EXPECT_EQ(port->state, STATE_NEW);
    EXPECT_EQ(box->ports->count, 1u);
}

TEST_F(EditData, PlainEntriesAreUnmarkedAndTemporariesFreed) {
    SchemaPtr schema = make_schema();
    Line* kept = new_Line();
    kept->state = STATE_SELECTED | STATE_BOTH_ENDS | 0x2;
    dlist_append(schema->sheet->items, kept);
    release_picked_entry(schema.get(), kept);
    EXPECT_EQ(kept->state, 0x2u | STATE_NEW);
    Line* leader = new_Line();
    leader->state |= STATE_TEMPORARY | STATE_SECOND_END;
    release_picked_entry(schema.get(), leader);  // freed: the sanitizer checks
    PseudoPin* member = new_PseudoPin();
    member->state |= STATE_SELECTED;
    release_picked_entry(schema.get(), member);  // a net member is no link: kept
    EXPECT_EQ(member->state, STATE_NEW);
    free_SchItem(schema.get(), member, false);
    release_picked_entry(schema.get(), nullptr);
}

// The picked pieces of a part being edited: a temporary placed part whose
// part borrows the pieces. Taking it apart must leave them to their owner.
TEST_F(EditData, PartPiecesAreTakenApartWithoutTheirPieces) {
    SchemaPtr schema = make_schema();
    Part* edited = add_library_part(schema.get(), "7400");
    Part* copy = new_Part();
    ref_Part(copy);
    copy->normal = new_Vectors();
    ref_Vectors(copy->normal);
    SchItem* piece = static_cast<SchItem*>(edited->normal->items->head->data);
    dlist_append(copy->normal->items, piece);
    copy->normal_pins = new_PinList();
    Pin* pin = static_cast<Pin*>(edited->normal_pins->pins->head->data);
    dlist_append(copy->normal_pins->pins, pin);
    copy->convert_pins = new_PinList();
    PlacedPart* temporary = new_PlacedPart();
    temporary->part = copy;
    PseudoPin* link = new_PseudoPin();
    link->role = PP_LINK_PART_PIECES;
    link->whoami = temporary;
    release_picked_entry(schema.get(), link);
    EXPECT_EQ(edited->normal->items->head->data, piece);
    EXPECT_EQ(edited->normal_pins->pins->head->data, pin);
    EXPECT_EQ(piece->type, BOITE_ITEM) << "still alive";
    EXPECT_EQ(pin->name.get(), std::string("A"));
}

TEST_F(EditData, EditCopyReleaseKeepsThePartWhenAsked) {
    SchemaPtr schema = make_schema();
    Part* edited = add_library_part(schema.get(), "7400");
    Part* copy = new_Part();
    ref_Part(copy);
    copy->convert = new_Vectors();
    ref_Vectors(copy->convert);
    dlist_append(copy->convert->items, edited->normal->items->head->data);
    edit_free_part_copy(copy, false);
    EXPECT_EQ(copy->convert, nullptr);
    EXPECT_EQ(copy->refs, 1);
    edit_free_part_copy(copy, true);
    edit_free_part_copy(nullptr, true);
    EXPECT_EQ(edited->normal->items->count, 1u);
}

struct FilterCase {
    const char* name;
    uint32_t filter;
    std::vector<int> marked;  // positions in the every-kind sheet
};

class EditFilter : public SheetTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(EditFilter, MarksWhatTheFilterAdmits) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    schema->ports = list_new();
    Port* module_port = new_Port();
    dlist_append(schema->ports, module_port);
    proper_set(EDIT_MODE, static_cast<int32_t>(GetParam().filter), 0);
    mark_edit_filter(schema.get(), STATE_WINDOW_SAVE);
    std::vector<int> marked;
    int i = 0;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->state & STATE_WINDOW_SAVE) marked.push_back(i);
        ++i;
    }
    if (module_port->state & STATE_WINDOW_SAVE) marked.push_back(100);
    EXPECT_EQ(marked, GetParam().marked);
}

// Sheet positions: 0 fill, 1 circle, 2 rectangle, 3 wire, 4 bus, 5 drawn
// line, 6 arc, 7 label, 8 junction, 9 polyline, 10 part, 11 power, 12
// no-connect, 13 port, 14 sub-sheet, 15 ERC mark, 16 net property, 17 image;
// 100 the module port of the ports list.
INSTANTIATE_TEST_SUITE_P(
    Filters, EditFilter,
    testing::Values(
        FilterCase{"everything", 0x40000000,
                   {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 100}},
        FilterCase{"nothing", 0, {}},
        FilterCase{"parts_and_ports", EDIT_FILTER_PARTS | EDIT_FILTER_PORTS, {10, 13, 100}},
        FilterCase{"wires_not_buses", EDIT_FILTER_WIRES, {3}},
        FilterCase{"buses", EDIT_FILTER_BUSES, {4}},
        FilterCase{"drawings", EDIT_FILTER_DRAWINGS, {0, 1, 2, 5, 6, 9, 17}},
        FilterCase{"labels", EDIT_FILTER_LABELS, {7, 16}},
        FilterCase{"the_rest", EDIT_FILTER_POWERS | EDIT_FILTER_SHEETS | EDIT_FILTER_JUNCTIONS |
                                   EDIT_FILTER_NOCONS | EDIT_FILTER_COMMENTS,
                   {8, 11, 12, 14}}),
    [](const testing::TestParamInfo<FilterCase>& info) { return info.param.name; });

TEST_F(EditData, SheetNetsAreThePortsOfSubsheetBoxes) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    proper_set(EDIT_MODE, static_cast<int32_t>(EDIT_FILTER_SHEET_NETS), 0);
    mark_edit_filter(schema.get(), STATE_WINDOW_SAVE);
    SubSheet* box = as_SubSheet(static_cast<SchItem*>(list_find_by_type(schema->sheet->items, SUBSHEET_ITEM)->data));
    EXPECT_EQ(box->state & STATE_WINDOW_SAVE, 0u);
    EXPECT_NE(static_cast<SchItem*>(box->ports->head->data)->state & STATE_WINDOW_SAVE, 0u);
}

}  // namespace
