// The sheet item dispatchers, item lists, reference records and the item
// counter: file forms of a sheet holding every kind, damaged input, and
// the list routines' rules.
#include <gtest/gtest.h>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/compil.h"
#include "model/documents/erc_mark.h"
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

class SheetItems : public SheetTest {};

Bytes sheet_bytes(Schema* schema, Sheet* sheet, uint32_t mask = 0) {
    return bytes_written([&](FILE* f) { write_Sheet(schema, sheet, f, mask); });
}

// Reads a sheet record into a fresh sheet of the schema's; the result.
int read_sheet_from(Schema* schema, const Bytes& bytes, Sheet** out) {
    StreamPtr stream = stream_of(bytes);
    Sheet* sheet = new_Sheet();
    int result = read_Sheet(schema, sheet, stream.get());
    *out = sheet;
    return result;
}

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents/sheet before committing it.
TEST_F(SheetItems, SheetOfEveryKindMatchesTheGoldenFilesAndReadsBackTheSame) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    Bytes binary = sheet_bytes(schema.get(), schema->sheet);
    expect_golden(sheet_golden("every_kind.bin"), binary);
    std::string text =
        text_written([&](FILE* f) { awrite_Sheet(schema.get(), schema->sheet, f, 1); });
    expect_golden(sheet_golden("every_kind.txt"), text);

    SchemaPtr other = make_schema();
    add_library_part(other.get(), "7400");
    Sheet* read = nullptr;
    ASSERT_EQ(read_sheet_from(other.get(), golden(sheet_golden("every_kind.bin")), &read), 0);
    free_Sheet(other.get(), other->sheet, false);
    other->sheet = read;
    ASSERT_EQ(read->items->count, schema->sheet->items->count);
    int i = 0;
    for (SchItem* item : list_items<SchItem>(read->items)) {
        EXPECT_EQ(item->state, STATE_NEW) << "item " << i;
        ++i;
    }
    EXPECT_EQ(sheet_bytes(other.get(), read), binary) << "a read sheet writes the same bytes";
    EXPECT_EQ(text_written([&](FILE* f) { awrite_Sheet(other.get(), read, f, 1); }), text);
}

TEST_F(SheetItems, AsciiSheetIsAcceptedByTheSourceGrammar) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    // ERC marks stand in the schematic's "(ERCLIST", not in its sheet.
    for (DListNode* node : dlist_nodes(schema->sheet->items)) {
        auto* item = static_cast<SchItem*>(node->data);
        if (item->type == ERC_ITEM) {
            dlist_remove(schema->sheet->items, node, nullptr);
            free_SchItem(schema.get(), item, false);
        }
    }
    std::string text =
        "(SCHEMATIC\n" +
        text_written([&](FILE* f) { awrite_Sheet(schema.get(), schema->sheet, f, 1); }) + ")\n";
    EXPECT_EQ(compile_source(text, COMPIL_SCHEMATIC), 0) << text;
}

TEST_F(SheetItems, EveryCutOfTheSheetRecordFailsCleanly) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    Bytes full = sheet_bytes(schema.get(), schema->sheet);
    for (size_t n = 0; n < full.size(); ++n) {
        Sheet* read = nullptr;
        int result = read_sheet_from(schema.get(), Bytes(full.begin(), full.begin() + n), &read);
        EXPECT_NE(result, 0) << "cut at " << n;
        EXPECT_NE(result, NOT_MY_TAG) << "cut at " << n;
        free_Sheet(schema.get(), read, false);
    }
}

TEST_F(SheetItems, SheetsNestOnlyToABoundedDepth) {
    SchemaPtr schema = make_schema();
    for (int depth : {MAX_SHEET_DEPTH, MAX_SHEET_DEPTH + 1, 200000}) {
        Bytes bytes(static_cast<size_t>(depth), SHEET_TAG);
        bytes.insert(bytes.end(), static_cast<size_t>(depth), LIST_END);
        Sheet* read = nullptr;
        EXPECT_EQ(read_sheet_from(schema.get(), bytes, &read),
                  depth <= MAX_SHEET_DEPTH ? 0 : READ_ERROR)
            << depth;
        free_Sheet(schema.get(), read, false);
    }
    Sheet* read = nullptr;
    EXPECT_EQ(read_sheet_from(schema.get(), {SHEET_TAG, LIST_END}, &read), 0)
        << "a refused nesting leaves no depth behind";
    free_Sheet(schema.get(), read, false);
}

TEST_F(SheetItems, ListEndIsCheckedAndTheEndOfTheStreamIsAShortRead) {
    SchemaPtr schema = make_schema();
    struct Case {
        Bytes bytes;
        int result;
        size_t items;
        Bytes rest;
    };
    const Case cases[] = {
        {{LIST_END, 'x'}, 0, 0, {'x'}},
        {{'x'}, READ_ERROR, 0, {}},
        {{}, -1, 0, {}},
        {{0xCD, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 100}, -1, 1, {}},
        {{0xCD, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 100, LIST_END}, 0, 1, {}},
        {{0xD1}, READ_ERROR, 0, {}},  // a schema record is no sheet item
    };
    for (const Case& c : cases) {
        StreamPtr stream = stream_of(c.bytes);
        List* list = list_new();
        EXPECT_EQ(read_SchItem_list(schema.get(), list, stream.get()), c.result);
        EXPECT_EQ(list->count, c.items);
        EXPECT_EQ(rest_of(stream.get()), c.rest);
        free_SchItem_list(schema.get(), &list);
    }
}

TEST_F(SheetItems, FillsAreSheetItemsInEveryDispatcher) {
    SchemaPtr schema = make_schema();
    SchItem* fill = new_SchItem(FILL_ITEM);
    ASSERT_NE(fill, nullptr);
    fill->pos = Point{7, 9};
    Line* side = new_Line();
    side->end = Point{100, 0};
    dlist_append(as_Fill(fill)->items, side);
    dlist_append(schema->sheet->items, fill);

    Bytes bytes = sheet_bytes(schema.get(), schema->sheet);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(bytes[1], item_tag(FILL_ITEM));
    Sheet* read = nullptr;
    ASSERT_EQ(read_sheet_from(schema.get(), bytes, &read), 0);
    ASSERT_EQ(read->items->count, 1u);
    SchItem* copy = copy_SchItem(schema.get(), static_cast<SchItem*>(read->items->head->data));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(compare_Item(copy, fill));
    Point anchor;
    anchor_SchItem(copy, &anchor);
    EXPECT_EQ(anchor, (Point{7, 9}));
    Rect r;
    EXPECT_TRUE(extent_SchItem(schema.get(), copy, &r));
    free_SchItem(schema.get(), copy, false);
    free_Sheet(schema.get(), read, false);
}

TEST_F(SheetItems, FilterMaskSkipsItemsButANestedSheetKeepsItsFrame) {
    SchemaPtr schema = make_schema();
    Line* line = new_Line();
    Bytes none =
        bytes_written([&](FILE* f) { write_SchItem(schema.get(), line, f, STATE_SELECTED); });
    EXPECT_TRUE(none.empty());
    Sheet* nested = new_Sheet();
    nested->state |= STATE_SELECTED;
    dlist_append(nested->items, line);
    Bytes frame =
        bytes_written([&](FILE* f) { write_SchItem(schema.get(), nested, f, STATE_SELECTED); });
    EXPECT_EQ(frame, (Bytes{SHEET_TAG, LIST_END}));
    free_SchItem(schema.get(), nested, false);
}

TEST_F(SheetItems, BadCodesMakeNothing) {
    for (int code : {0, 1, 17, 18, 24, -3}) EXPECT_EQ(new_SchItem(code), nullptr) << code;
    for (int code : {3, 8, 10, 11, 15, 16, 19, 20, 21, 22, 23}) {
        SchItem* item = new_SchItem(code);
        ASSERT_NE(item, nullptr) << code;
        EXPECT_EQ(item->type, code);
        free_SchItem(nullptr, item, false);
    }
}

TEST_F(SheetItems, AnchorsFollowTheCodes) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    std::vector<Point> anchors;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        Point p{-1, -1};
        anchor_SchItem(item, &p);
        anchors.push_back(p);
    }
    const std::vector<Point> expected = {
        {500, 500},     {3500, 3000},   {-500, -1000}, {20000, 10000}, {20000, 12000},
        {12000, 16000}, {5000, 6000},   {11000, 9800}, {15000, 10000}, {0, 20000},
        {30000, 10000}, {25000, 5000},  {26000, 6000}, {1000, 30000},  {40000, 40000},
        {15000, 10000}, {18000, 10000}, {50000, 0},
    };
    EXPECT_EQ(anchors, expected);
    PseudoPin* link = new_PseudoPin();
    link->role = PP_LINK_SUBSHEET_PORT;
    link->whoami = static_cast<SchItem*>(schema->sheet->items->tail->data);
    Point p;
    anchor_SchItem(link, &p);
    EXPECT_EQ(p, (Point{50000, 0}));
    link->role = PP_NET_MEMBER;
    anchor_SchItem(link, &p);
    EXPECT_EQ(p, (Point{0, 0})) << "a net member has no anchor";
    free_SchItem(schema.get(), link, false);
}

TEST_F(SheetItems, NearestAnswersTheFirstOfEquallyNearItems) {
    SchemaPtr schema = make_schema();
    List* list = list_new();
    for (int i = 0; i < 2; ++i) {
        NoCon* mark = new_NoCon();
        mark->pos = Point{100, 0};
        dlist_append(list, mark);
    }
    SchItem* nearest = nullptr;
    EXPECT_DOUBLE_EQ(nearest_SchItem(schema.get(), list, Point{0, 0}, &nearest, 0, 10, 0), 100.0);
    EXPECT_EQ(nearest, list->head->data);
    SchItem* untouched = reinterpret_cast<SchItem*>(&nearest);
    List* empty = list_new();
    EXPECT_EQ(nearest_SchItem(schema.get(), empty, Point{}, &untouched, 0, 10, 0), 1e10);
    EXPECT_EQ(untouched, reinterpret_cast<SchItem*>(&nearest));
    free_SchItem_list(schema.get(), &list);
    free_SchItem_list(schema.get(), &empty);
}

TEST_F(SheetItems, BoundsSkipTemporariesAndAnEmptyResultKeepsTheRectangle) {
    SchemaPtr schema = make_schema();
    List* list = list_new();
    NoCon* temporary = new_NoCon();
    temporary->state |= STATE_TEMPORARY;
    dlist_append(list, temporary);
    Rect r{1, 2, 3, 4};
    EXPECT_FALSE(bounds_SchItem_list(schema.get(), list, &r, false));
    EXPECT_TRUE(bounds_SchItem_list(schema.get(), list, &r, true));
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));
    NoCon* kept = new_NoCon();
    kept->pos = Point{10000, 10000};
    dlist_append(list, kept);
    EXPECT_TRUE(bounds_SchItem_list(schema.get(), list, &r, true));
    EXPECT_EQ(r.x, 1);
    EXPECT_GT(r.x + r.w, 10000);
    free_SchItem_list(schema.get(), &list);
}

TEST_F(SheetItems, CountsByKind) {
    SchemaPtr schema = make_schema();
    EXPECT_FALSE(sheet_has_subsheets(schema->sheet));
    add_every_kind(schema.get());
    EXPECT_TRUE(sheet_has_subsheets(schema->sheet));
    SchItem* box = sheet_subsheet_at(schema->sheet, Point{42000, 43000});
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->type, SUBSHEET_ITEM);
    EXPECT_EQ(sheet_subsheet_at(schema->sheet, Point{39000, 43000}), nullptr);
    Junction* second = new_Junction();
    dlist_append(schema->sheet->items, second);
    List* items = schema->sheet->items;
    EXPECT_EQ(count_SchItems(schema.get(), items, COUNT_PACKAGES), 0) << "device 1 only";
    EXPECT_EQ(count_SchItems(schema.get(), items, COUNT_JUNCTIONS), 2);
    EXPECT_EQ(count_SchItems(schema.get(), items, COUNT_SUBSHEETS), 1);
    EXPECT_EQ(count_SchItems(schema.get(), items, COUNT_PORTS), 1);
    EXPECT_EQ(count_SchItems(schema.get(), items, COUNT_SHEET_PORTS), 1);
    EXPECT_EQ(count_SchItems(schema.get(), items, COUNT_PINS), 2)
        << "the power pin counts on device 0 only";
    EXPECT_EQ(count_SchItems(schema.get(), items, COUNT_POWERS), 1);
    EXPECT_EQ(count_SchItems(schema.get(), items, 7), 0);
    EXPECT_EQ(count_SchItems(schema.get(), nullptr, COUNT_JUNCTIONS), 0);
}

TEST_F(SheetItems, PackagesCountOncePerDeviceZeroCopy) {
    SchemaPtr schema = make_schema();
    add_library_part(schema.get(), "7400");
    auto place = [&](int device) {
        PlacedPart* pl = new_PlacedPart();
        pl->part_name.set("7400");
        pl->device = device;
        dlist_append(schema->sheet->items, pl);
    };
    place(0);
    EXPECT_EQ(count_SchItems(schema.get(), schema->sheet->items, COUNT_PACKAGES), 1);
    place(0);
    EXPECT_EQ(count_SchItems(schema.get(), schema->sheet->items, COUNT_PACKAGES), 2);
    EXPECT_EQ(count_SchItems(schema.get(), schema->sheet->items, COUNT_POWERS), 2);
}

TEST_F(SheetItems, FreeingTheTitleBlockListsNeverFreesTheEmbeddedRecord) {
    SchemaPtr schema = make_schema();
    dlist_append(schema->titleblock.drawing, &schema->titleblock);
    dlist_append(schema->titleblock.drawing, new_Line());
    free_SchItem_list(schema.get(), &schema->titleblock.drawing);
    EXPECT_EQ(schema->titleblock.drawing, nullptr);
    EXPECT_EQ(schema->titleblock.type, TITLEBLOCK_ITEM);
}

// --- reference records ----------------------------------------------------------------

struct RefCase {
    const char* name;
    Bytes bytes;
    int result;
    size_t resolved;
    Bytes rest;
};

class RefLists : public SheetTest, public testing::WithParamInterface<RefCase> {};

// The schema the cases resolve against: a line of id 7 and a port of id 9.
SchemaPtr ref_schema() {
    SchemaPtr schema = make_schema();
    Line* line = new_Line();
    line->id = 7;
    dlist_append(schema->sheet->items, line);
    schema->ports = list_new();
    Port* port = new_Port();
    port->id = 9;
    dlist_append(schema->ports, port);
    Text* control = new_Text();
    control->id = 11;
    dlist_append(schema->titleblock.fields, control);
    return schema;
}

TEST_P(RefLists, ReadResolvesSkipsAndEnds) {
    SchemaPtr schema = ref_schema();
    StreamPtr stream = stream_of(GetParam().bytes);
    List* list = list_new();
    EXPECT_EQ(read_ref_list(schema.get(), list, stream.get(), nullptr), GetParam().result);
    EXPECT_EQ(list->count, GetParam().resolved);
    EXPECT_EQ(rest_of(stream.get()), GetParam().rest);
    dlist_free(list, LIST_FROM_HEAD, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefLists,
    testing::Values(
        RefCase{"only_end", {LIST_END, 'z'}, 0, 0, {'z'}},
        RefCase{"foreign_end", {'x', 'z'}, NOT_MY_TAG, 0, {'z'}},
        RefCase{"empty_stream", {}, -1, 0, {}},
        RefCase{"line", {'l', LINE_ITEM, 0, 0, 0, 0, 7, LIST_END}, 0, 1, {}},
        RefCase{"port", {'l', PORT_ITEM, 0, 0, 0, 0, 9, LIST_END}, 0, 1, {}},
        RefCase{"control", {'l', TEXT_ITEM, 0xC0, 0, 0, 0, 11, LIST_END}, 0, 1, {}},
        RefCase{"titleblock_has_no_id", {'l', TITLEBLOCK_ITEM, 0, LIST_END}, 0, 1, {}},
        RefCase{"unresolved_skipped",
                {'l', LINE_ITEM, 0, 0, 0, 0, 8, 'l', LINE_ITEM, 0, 0, 0, 0, 7, LIST_END},
                READ_ERROR,
                1,
                {}},
        RefCase{"code_must_match", {'l', BOITE_ITEM, 0, 0, 0, 0, 7, LIST_END}, READ_ERROR, 0, {}},
        RefCase{"pin_without_part", {'l', 0, 0, 0, 0, 7, LIST_END}, READ_ERROR, 0, {}},
        RefCase{"cut_in_id", {'l', LINE_ITEM, 0, 0, 0}, -1, 0, {}},
        RefCase{"cut_before_end", {'l', LINE_ITEM, 0, 0, 0, 0, 7}, -1, 1, {}}),
    [](const testing::TestParamInfo<RefCase>& info) { return info.param.name; });

// Records of one id and different kinds are told apart; of two records of
// one id and kind the first in its list answers, every time it is named.
TEST_F(SheetItems, ReferencesNameTheFirstRecordOfTheirKindAndId) {
    SchemaPtr schema = make_schema();
    Line* first = new_Line();
    Line* second = new_Line();
    Text* text = new_Text();
    first->id = second->id = text->id = 5;
    for (SchItem* item :
         {static_cast<SchItem*>(first), static_cast<SchItem*>(second), static_cast<SchItem*>(text)})
        dlist_append(schema->sheet->items, item);
    StreamPtr stream = stream_of({'l', TEXT_ITEM, 0,         0, 0, 0, 5, 'l', LINE_ITEM, 0, 0, 0, 0,
                                  5,   'l',       LINE_ITEM, 0, 0, 0, 0, 5,   LIST_END});
    List* read = list_new();
    EXPECT_EQ(read_ref_list(schema.get(), read, stream.get(), nullptr), 0);
    std::vector<void*> targets;
    for (void* target : list_items<void>(read)) targets.push_back(target);
    EXPECT_EQ(targets, (std::vector<void*>{text, first, first}));
    dlist_free(read, LIST_FROM_HEAD, nullptr);
}

// Golden file: regenerate with TN_UPDATE_GOLDEN=1 and review the diff.
TEST_F(SheetItems, ReferenceListsMatchTheGoldenFileAndResolveBack) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    add_titleblock(schema.get());
    List* selection = list_new();
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        item->state |= STATE_SELECTED;
        dlist_append(selection, item);
    }
    dlist_append(selection, static_cast<SchItem*>(schema->titleblock.fields->head->data));
    dlist_append(selection, &schema->titleblock);
    Line* temporary = new_Line();
    temporary->state |= STATE_TEMPORARY;
    dlist_append(selection, temporary);
    PseudoPin* link = new_PseudoPin();
    dlist_append(selection, link);
    for (SchItem* item : list_items<SchItem>(selection)) item->state |= STATE_SELECTED;
    Line* unselected = new_Line();
    dlist_append(selection, unselected);

    Bytes bytes =
        bytes_written([&](FILE* f) { write_ref_list(selection, f, STATE_SELECTED, false); });
    expect_golden(sheet_golden("refs.bin"), bytes);

    List* read = list_new();
    StreamPtr stream = stream_of(golden(sheet_golden("refs.bin")));
    EXPECT_EQ(read_ref_list(schema.get(), read, stream.get(), nullptr), 0);
    ASSERT_EQ(read->count, selection->count - 3)
        << "links, temporaries and unselected items skipped";
    DListNode* a = dlist_head(selection);
    for (DListNode* b : dlist_nodes(read)) {
        EXPECT_EQ(b->data, a->data);
        a = dlist_next(a);
    }
    dlist_free(read, LIST_FROM_HEAD, nullptr);
    dlist_free(selection, LIST_FROM_HEAD, nullptr);
    free_SchItem(schema.get(), temporary, false);
    free_SchItem(schema.get(), link, false);
    free_SchItem(schema.get(), unselected, false);
}

TEST_F(SheetItems, PinAndBodyReferencesResolveInThePlacedPartsForm) {
    SchemaPtr schema = make_schema();
    Part* part = add_library_part(schema.get(), "7400");
    PlacedPart* placed = new_PlacedPart();
    placed->part_name.set("7400");
    dlist_append(schema->sheet->items, placed);

    List* picked = list_new();
    Pin* second_pin = static_cast<Pin*>(part->normal_pins->pins->head->next->data);
    dlist_append(picked, second_pin);
    Bytes pins = bytes_written([&](FILE* f) { write_ref_list(picked, f, 0, true); });
    ASSERT_EQ(pins.size(), 7u);
    EXPECT_EQ(pins[1], 0) << "code 0, no flags byte";
    dlist_free(picked, LIST_FROM_HEAD, nullptr);

    picked = list_new();
    dlist_append(picked, part->normal->items->head->data);
    Bytes body = bytes_written([&](FILE* f) { write_ref_list(picked, f, 0, false); });
    dlist_free(picked, LIST_FROM_HEAD, nullptr);

    List* read = list_new();
    StreamPtr s1 = stream_of(pins);
    EXPECT_EQ(read_ref_list(schema.get(), read, s1.get(), placed), 0);
    StreamPtr s2 = stream_of(body);
    EXPECT_EQ(read_ref_list(schema.get(), read, s2.get(), placed), 0);
    ASSERT_EQ(read->count, 2u);
    EXPECT_EQ(read->head->data, second_pin);
    EXPECT_EQ(read->tail->data, part->normal->items->head->data);

    // A list meant for pins takes no body item, and the other way round: a
    // damaged paste file would make a drawing item read as a pin.
    StreamPtr body_as_pins = stream_of(body);
    EXPECT_EQ(read_ref_list(schema.get(), read, body_as_pins.get(), placed, RefKinds::PINS),
              READ_ERROR);
    StreamPtr pins_as_body = stream_of(pins);
    EXPECT_EQ(read_ref_list(schema.get(), read, pins_as_body.get(), placed, RefKinds::BODY_ITEMS),
              READ_ERROR);
    EXPECT_EQ(read->count, 2u);

    placed->flags |= PL_CONVERT;  // the converted form has no pins
    StreamPtr s3 = stream_of(pins);
    EXPECT_EQ(read_ref_list(schema.get(), read, s3.get(), placed), READ_ERROR);
    dlist_free(read, LIST_FROM_HEAD, nullptr);
}

}  // namespace
