// Picking items under a point for the sheet, title-block and library
// editors: precedence, link records made and released, snapping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/edit_state.h"
#include "model/documents/ident.h"
#include "model/documents/image.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

using namespace sheet_test;

namespace {

constexpr uint32_t MARK = STATE_SELECTED;

template <class R>
R* append(Schema* schema, R* item) {
    dlist_append(schema->sheet->items, item);
    return item;
}

Line* wire(Point a, Point b, uint8_t flags = 0) {
    Line* line = new_Line();
    line->flags = flags;
    line->pos = a;
    line->end = b;
    return line;
}

Text* text_at(const char* string, Point pos, uint8_t flags = 0) {
    Text* text = new_Text();
    text->string = string;
    text->pos = pos;
    text->flags = flags;
    set_TextSize(&text->size, 600);
    return text;
}

Point centre(const Rect& r) { return Point{r.x + r.w / 2, r.y + r.h / 2}; }

Point text_centre(Schema* schema, Text* text) {
    Rect r;
    EXPECT_TRUE(bounds_Text(schema, text, &r, false));
    return centre(r);
}

PlacedPart* place(Schema* schema, const char* name, Point pos) {
    PlacedPart* pl = new_PlacedPart();
    pl->part_name.set(name);
    pl->pos = pos;
    return append(schema, pl);
}

std::vector<int> codes_of(List* result) {
    std::vector<int> codes;
    for (SchItem* item : list_items<SchItem>(result)) codes.push_back(item->type);
    return codes;
}

// Gives up a whole result, as the editor does.
void release_all(Schema* schema, List** result) {
    for (SchItem* item : list_items<SchItem>(*result)) release_picked_entry(schema, item);
    if (*result) dlist_free(*result, LIST_FROM_HEAD, nullptr);
    *result = nullptr;
}

class Pick : public SheetTest {
protected:
    void TearDown() override {
        release_all(schema.get(), &result);
        SheetTest::TearDown();
    }
    SchemaPtr schema = make_schema();
    List* result = nullptr;
};

// --- the sheet editor ---------------------------------------------------------------------

TEST_F(Pick, ImageBeatsTextBeatsWire) {
    Text* text = append(schema.get(), text_at("CLOCK", Point{2000, 0}));
    Point p = text_centre(schema.get(), text);
    Line* line = append(schema.get(), wire(Point{0, p.y}, Point{10000, p.y}));
    ASSERT_TRUE(schema_select_at(schema.get(), p, &result, MARK));
    EXPECT_EQ(codes_of(result), std::vector<int>{TEXT_ITEM});
    EXPECT_EQ(line->state & MARK, 0u) << "the wire given up loses its mark";
    release_all(schema.get(), &result);
    Image* image = append(schema.get(), new_Image());
    image->pos = Point{0, p.y - 3000};
    image->size = Point{8000, 6000};
    ASSERT_TRUE(schema_select_at(schema.get(), p, &result, MARK));
    EXPECT_EQ(codes_of(result), std::vector<int>{IMAGE_ITEM});
}

TEST_F(Pick, AttributeTextIsALinkUndoneOnRelease) {
    add_library_part(schema.get(), "7400");
    PlacedPart* pl = place(schema.get(), "7400", Point{30000, 10000});
    pl->reference.text.set("U3");
    pl->reference.flags = VIS;
    pl->reference.pos = Point{30000, 8000};
    Text* shown = attr_text_item(schema.get(), pl, &pl->reference, 0);
    Point p = text_centre(schema.get(), shown);
    free_Text(shown, false);

    ASSERT_TRUE(schema_select_at(schema.get(), p, &result, MARK));
    ASSERT_EQ(codes_of(result), std::vector<int>{PSEUDO_PIN}) << "the leader line is dropped";
    PseudoPin* link = as_PseudoPin(static_cast<SchItem*>(result->head->data));
    EXPECT_EQ(link->role, PP_LINK_ATTRIBUTE);
    EXPECT_EQ(link->father, pl);
    EXPECT_EQ(link->index, 0);
    EXPECT_EQ(link->whoami->type, TEXT_ITEM);
    EXPECT_EQ(pl->reference.state & STATE_NEW, 0u);
    release_all(schema.get(), &result);
    EXPECT_EQ(pl->reference.state, STATE_NEW);
}

struct DeviceLetterCase {
    const char* reference;
    int device;
    const char* shown;
};

class AttributeText : public Pick, public ::testing::WithParamInterface<DeviceLetterCase> {};

TEST_P(AttributeText, DeviceLetterOnlyWhenNumbered) {
    add_library_part(schema.get(), "7400");  // two devices
    PlacedPart* pl = place(schema.get(), "7400", Point{});
    pl->reference.text.set(GetParam().reference);
    pl->device = GetParam().device;
    Text* text = attr_text_item(schema.get(), pl, &pl->reference, 0);
    EXPECT_EQ(text->string, GetParam().shown);
    free_Text(text, false);
    pl->part_name.set("MISSING");  // no part: no letter, no stop
    pl->part = nullptr;
    text = attr_text_item(schema.get(), pl, &pl->reference, 0);
    EXPECT_EQ(text->string, GetParam().reference);
    free_Text(text, false);
}

INSTANTIATE_TEST_SUITE_P(References, AttributeText,
                         ::testing::Values(DeviceLetterCase{"U7", 1, "U7B"},
                                           DeviceLetterCase{"U?", 1, "U?"},
                                           DeviceLetterCase{"U12", 0, "U12A"}));

TEST_F(Pick, NearestGivesTheTitleBlockThenThePortOnATie) {
    Services s;  // a canvas that measures names, so that ports have outlines
    s.paint_zone_text_extent = [](View*, const char* text, int*, Point pos, Rect* out) {
        *out = {pos.x, pos.y, 500 * static_cast<int32_t>(std::strlen(text)), 1000};
        return true;
    };
    install_services(s);
    schema->ports = list_new();
    Port* port = new_Port();
    port->name.set("CLK");
    port->pos = Point{1000, 30000};
    dlist_append(schema->ports, port);
    Rect r;
    ASSERT_TRUE(bounds_Port(schema.get(), port, &r, false));
    Point p = centre(r);
    Boite* box = new_Rect();
    box->pos = Point{p.x, p.y - 1000};
    box->corner = Point{p.x + 5000, p.y + 1000};  // its left side through the point
    append(schema.get(), box);

    SchItem* nearest = nullptr;
    EXPECT_EQ(schema_find_nearest(schema.get(), p, &nearest, 0, 100, 0x10), 0);
    EXPECT_EQ(nearest, port);
    EXPECT_TRUE(schema->state & 0x10);

    add_titleblock(schema.get());
    titleblock_bounds(schema.get());
    EXPECT_EQ(schema_find_nearest(schema.get(), Point{38000, 2800}, &nearest, 0, 100, 0), 0);
    EXPECT_EQ(nearest, &schema->titleblock);
}

TEST_F(Pick, SnappingSkipsPowerPins) {
    add_library_part(schema.get(), "7400");
    place(schema.get(), "7400", Point{0, 0});  // A ends at (-3000, 1000), VCC at (2000, -1000)
    Junction* dot = append(schema.get(), new_Junction());
    dot->pos = Point{20000, 0};
    Point at;
    ASSERT_TRUE(schema_nearest_connection(schema.get(), Point{2000, -1000}, &at));
    EXPECT_EQ(at, (Point{-3000, 1000}));
    ASSERT_TRUE(schema_nearest_connection(schema.get(), Point{19000, 0}, &at));
    EXPECT_EQ(at, dot->pos);

    SchemaPtr empty = make_schema();
    EXPECT_FALSE(schema_nearest_connection(empty.get(), Point{}, &at));
}

TEST_F(Pick, SnappingFollowsARotatedMirroredPart) {
    add_library_part(schema.get(), "7400");
    PlacedPart* pl = place(schema.get(), "7400", Point{10000, 10000});
    pl->flags |= 1;  // a quarter turn: pin A's end (-3000, 1000) lands at (9000, 7000)
    Point at;
    ASSERT_TRUE(schema_nearest_connection(schema.get(), Point{9100, 7100}, &at));
    EXPECT_EQ(at, (Point{9000, 7000}));
}

// --- the title-block editor ---------------------------------------------------------------

TEST_F(Pick, TitleBlockEditor) {
    EXPECT_FALSE(titleblock_select_at(schema.get(), Point{}, &result, MARK)) << "nothing drawn";
    free_SchItem_list(schema.get(), &schema->titleblock.drawing);
    EXPECT_FALSE(titleblock_select_at(schema.get(), Point{}, &result, MARK)) << "no list";
    schema->titleblock.drawing = list_new();
    add_titleblock(schema.get());
    titleblock_bounds(schema.get());

    ASSERT_TRUE(titleblock_select_at(schema.get(), Point{20000, 2500}, &result, MARK));
    EXPECT_EQ(codes_of(result), std::vector<int>{BOITE_ITEM});
    release_all(schema.get(), &result);

    Text* drawn = static_cast<Text*>(schema->titleblock.drawing->tail->data);
    ASSERT_TRUE(titleblock_select_at(schema.get(), text_centre(schema.get(), drawn), &result,
                                     MARK));
    EXPECT_EQ(codes_of(result), std::vector<int>{TEXT_ITEM});
    release_all(schema.get(), &result);

    // An empty place of the block picks the block, in both editors.
    ASSERT_TRUE(titleblock_select_at(schema.get(), Point{38000, 2800}, &result, MARK));
    EXPECT_EQ(codes_of(result), std::vector<int>{TITLEBLOCK_ITEM});
    release_all(schema.get(), &result);
    ASSERT_TRUE(schema_select_at(schema.get(), Point{38000, 2800}, &result, MARK));
    EXPECT_EQ(codes_of(result), std::vector<int>{TITLEBLOCK_ITEM});
}

// --- the library editor ----------------------------------------------------------------------

class PartPieces : public Pick {
protected:
    void SetUp() override {
        Pick::SetUp();
        part = add_library_part(schema.get(), "7400");
        edited = place(schema.get(), "7400", Point{10000, 10000});
        marker = new_Rect();  // a marker rectangle: not drawn (flag bit 0x01 clear)
        marker->pos = Point{0, 0};
        marker->corner = Point{1000, 1000};
        append(schema.get(), marker);
    }
    // The part of the one link of the result.
    PlacedPart* pieces() {
        EXPECT_EQ(result->count, 1u);
        PseudoPin* link = as_PseudoPin(static_cast<SchItem*>(result->head->data));
        EXPECT_EQ(link->role, PP_LINK_PART_PIECES);
        EXPECT_EQ(link->father, edited);
        return as_PlacedPart(link->whoami);
    }
    Part* part = nullptr;
    PlacedPart* edited = nullptr;
    Boite* marker = nullptr;
};

TEST_F(PartPieces, MarkerRectangle) {
    ASSERT_TRUE(pick_part_pieces_at(schema.get(), Point{0, 500}, &result, MARK));
    PseudoPin* link = as_PseudoPin(static_cast<SchItem*>(result->head->data));
    EXPECT_EQ(link->role, PP_LINK_RECT);
    EXPECT_EQ(link->whoami, marker);
    EXPECT_EQ(link->father, nullptr);
}

TEST_F(PartPieces, PinUnderThePoint) {
    ASSERT_TRUE(pick_part_pieces_at(schema.get(), Point{8500, 11000}, &result, MARK));
    PlacedPart* picked = pieces();
    ASSERT_NE(picked->part, part);
    ASSERT_EQ(pinlist_count(picked->part->normal_pins), 1);
    EXPECT_EQ(picked->part->normal_pins->pins->head->data, part->normal_pins->pins->head->data);
    EXPECT_EQ(picked->part->normal->items->count, 0u);
    EXPECT_EQ(picked->reference.flags & VIS, 0) << "attributes of the pieces are hidden";
    release_all(schema.get(), &result);
    EXPECT_EQ(pinlist_count(part->normal_pins), 3) << "the edited part keeps its pins";
}

TEST_F(PartPieces, BodyGraphicsUnderThePoint) {
    Text* label = text_at("NAND", Point{2000, 5800});
    dlist_append(part->normal->items, label);
    // On the body's bottom side, away from the label: the rectangle alone.
    ASSERT_TRUE(pick_part_pieces_at(schema.get(), Point{13500, 16000}, &result, MARK));
    EXPECT_EQ(codes_of(pieces()->part->normal->items), std::vector<int>{BOITE_ITEM});
    release_all(schema.get(), &result);
    // On the label, which lies on the side too: the text wins.
    Point on_label = text_centre(schema.get(), label);
    ASSERT_TRUE(pick_part_pieces_at(
        schema.get(), Point{on_label.x + 10000, on_label.y + 10000}, &result, MARK));
    EXPECT_EQ(codes_of(pieces()->part->normal->items), std::vector<int>{TEXT_ITEM});
    EXPECT_TRUE(reduce_picks(schema.get(), &result, TEXT_ITEM));
    release_all(schema.get(), &result);
    EXPECT_EQ(part->normal->items->count, 2u);
}

TEST_F(PartPieces, MissingLibraryEntryPicksAnEmptyBody) {
    edited->part_name.set("GONE");
    EXPECT_FALSE(pick_part_pieces_at(schema.get(), Point{8500, 11000}, &result, MARK));
    EXPECT_EQ(result, nullptr);

    List* graphics = list_new();
    Line* line = wire(Point{}, Point{100, 0}, DRAW);
    dlist_append(graphics, line);
    Part* copy = dup_Part_with(schema.get(), edited, &graphics, nullptr);
    EXPECT_EQ(graphics, nullptr);
    EXPECT_EQ(copy->devices, 1);
    EXPECT_EQ(codes_of(copy->normal->items), std::vector<int>{LINE_ITEM});
    EXPECT_EQ(pinlist_count(copy->normal_pins), 0);
    edit_free_part_copy(copy, true);
    free_Item(line);
}

}  // namespace
