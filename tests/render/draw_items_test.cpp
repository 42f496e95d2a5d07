#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/items/item_ops.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "render/render_fixture.h"

namespace render_test {
namespace {

class DrawItemsTest : public RenderTest {
protected:
    // What drawing the whole schema records, on the screen or for printing.
    std::vector<Prim> record(Schema* schema, bool printing) {
        std::vector<Prim> prims;
        DrawAdapter recorder(&prims);
        recorder.printing = printing;
        draw_schema(&recorder, schema, nullptr);
        return prims;
    }
    static size_t with_colour(const std::vector<Prim>& prims, int property) {
        size_t n = 0;
        for (const Prim& p : prims) n += p.rgb == uint32_t(proper_get(property));
        return n;
    }
};

TEST_F(DrawItemsTest, VisibilityFollowsTheScreenOrThePrintFlags) {
    proper_set(COLOR_WIRE, 0x0000AA, COLOR_COMMENT, 0x00BB00, COLOR_FILM, 0x111111);
    SchemaPtr schema = compile(
        "(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 5000 0 ) )\n"
        " (TEXT 0 (POS 0 2000 ) (SIZE 400 600 ) 'note' ) ) )");
    ASSERT_TRUE(schema);
    EXPECT_EQ(with_colour(record(schema.get(), false), COLOR_WIRE), 1u);
    EXPECT_GT(with_colour(record(schema.get(), false), COLOR_COMMENT), 0u);
    EXPECT_GT(with_colour(record(schema.get(), false), COLOR_FILM), 0u);

    proper_set(VISIBLE_WIRE, 0, PRINT_VIS_COMMENT, 0, PRINT_VIS_BORDER, 0);
    EXPECT_EQ(with_colour(record(schema.get(), false), COLOR_WIRE), 0u);
    EXPECT_GT(with_colour(record(schema.get(), false), COLOR_COMMENT), 0u);
    const auto printed = record(schema.get(), true);
    EXPECT_EQ(with_colour(printed, COLOR_WIRE), 0u);  // no print flag of its own
    EXPECT_EQ(with_colour(printed, COLOR_COMMENT), 0u);
    EXPECT_EQ(with_colour(printed, COLOR_FILM), 0u);
}

TEST_F(DrawItemsTest, AnExplicitColourDrawsTheWholeItemInItAndAMatrixMovesIt) {
    SchemaPtr schema = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 5000 0 ) ) ) )");
    SchItem* wire = list_items<SchItem>(schema->sheet->items).begin().operator*();
    std::vector<Prim> prims;
    DrawAdapter recorder(&prims);
    Matrix up;
    matrix_translate(&up, 0, -1000);
    proper_set(VISIBLE_WIRE, 0);  // an explicit colour draws a ghost whatever is shown
    draw_item(&recorder, schema.get(), wire, &up, 0x123456, STYLE_DASHED);
    ASSERT_EQ(prims.size(), 1u);
    EXPECT_EQ(prims[0].rgb, 0x123456u);
    EXPECT_TRUE(prims[0].dashed);
    EXPECT_EQ(prims[0].points, (std::vector<Point>{{0, -1000}, {5000, -1000}}));
}

TEST_F(DrawItemsTest, ANetHeadDrawsTheWiresOfItsChainAndALinkWhatItStandsFor) {
    SchemaPtr schema = compile(
        "(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 5000 0 ) ) (LINE (POS 5000 0 ) (POS 5000 5000 ) "
        ")\n"
        " (TEXT 0 (POS 0 2000 ) (SIZE 400 600 ) 'x' ) ) )");
    std::vector<SchItem*> items;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) items.push_back(item);
    Ident* head = new_Ident();
    head->next = items[0];
    items[0]->next = items[1];
    std::vector<Prim> prims;
    DrawAdapter recorder(&prims);
    draw_item(&recorder, schema.get(), head, nullptr, ITEM_COLOURS, STYLE_AS_ITEM);
    EXPECT_EQ(prims.size(), 2u);
    items[0]->next = nullptr;
    free_Ident(head, false);

    PseudoPin* link = new_PseudoPin();
    link->role = PP_LINK_RECT;
    link->whoami = items[2];
    prims.clear();
    draw_item(&recorder, schema.get(), link, nullptr, 0xABCDEF, STYLE_AS_ITEM);
    EXPECT_FALSE(prims.empty());
    for (const Prim& p : prims) EXPECT_EQ(p.rgb, 0xABCDEFu);
    // A net member stands for a connection point: nothing of its own.
    link->role = PP_NET_MEMBER;
    prims.clear();
    draw_item(&recorder, schema.get(), link, nullptr, 0xABCDEF, STYLE_AS_ITEM);
    EXPECT_TRUE(prims.empty());
    free_PseudoPin(link, false);
}

}  // namespace
}  // namespace render_test

namespace render_test {
namespace {

// The baseline direction a document-font text is drawn with.
Point baseline_of(Schema* schema) {
    std::vector<Prim> prims;
    DrawAdapter recorder(&prims);
    draw_schema(&recorder, schema, nullptr);
    for (const Prim& p : prims)
        if (p.kind == Prim::TEXT) return p.points[1];
    return Point{};
}

TEST_F(DrawItemsTest, OutlineTextsTurnByTheirFontsEscapementOrElseTheirRotation) {
    proper_set(VISIBLE_BORDER, 0);
    SchemaPtr flat = compile(
        "(SCHEMATIC (SHEET (TEXT 10 (POS 0 0 ) (SIZE 400 600 ) 'a' ROT_90 ) )\n"
        " (FONTS (FONT 10  100 13 0 0 0 400 0 0 0 0 0 0 0 0 'DejaVu Sans' ) ) )");
    // Without escapement the rotation code turns it as it turns stroke texts.
    Matrix turn;
    matrix_rotate(&turn, 1);
    Point expected;
    matrix_apply(&turn, Point{1000, 0}, &expected);
    EXPECT_EQ(baseline_of(flat.get()), expected);
    // A font of escapement 90 degrees writes upwards on the screen (y down).
    SchemaPtr up = compile(
        "(SCHEMATIC (SHEET (TEXT 10 (POS 0 0 ) (SIZE 400 600 ) 'a' ) )\n"
        " (FONTS (FONT 10  100 13 0 900 900 400 0 0 0 0 0 0 0 0 'DejaVu Sans' ) ) )");
    const Point dir = baseline_of(up.get());
    EXPECT_NEAR(dir.x, 0, 2);
    EXPECT_NEAR(dir.y, -1000, 2);
}

}  // namespace
}  // namespace render_test

namespace render_test {
namespace {

// A part drawn as a body names its pins by its shape; a bare row of pins
// needs their names. A pin's own display choice overrides both.
TEST_F(DrawItemsTest, PinNamesShowOnlyWithoutABodyUnlessThePinChoosesItself) {
    proper_set(COLOR_PINNAME, 0x0000AB, COLOR_PINNUM, 0x00CD00);
    const std::string pins =
        "(PINS (PIN 'IN' IN LEFT (POS 0 1000 ) '3' ) (PIN 'OUT' OUT RIGHT (POS 2000 1000 ) '4' ) )";
    auto sheet = [&](const std::string& body) {
        return compile(
            "(SCHEMATIC (SHEET (PARTLIB 'lib/P' 0x00000001 1.000000 POWEROFF NO_ROT NORMAL_PART "
            "DEVICE 0 (POS 10000 10000 ) (ATTRIBUTE 'U1' VIS (POS 0 0 ) ) (ATTRIBUTE 'X' VIS (POS "
            "0 0 ) ) ) )\n"
            " (LIB '$ACTIVE$' (PFXS ) (PARTS (LPART (PART (COMMON (TYPE STANDARD 1) (SIZE 2000 "
            "2000 ) (REFERENCE 'U' ) ) (NORMAL " +
            pins + body + " ) ) (ALIAS (NAME 'lib/P' ) ) ) ) ) )");
    };
    SchemaPtr bodied = sheet(" (VECTOR (RECT DRAW (POS 0 0 ) (POS 2000 2000 ) ) )");
    SchemaPtr bare = sheet("");
    ASSERT_TRUE(bodied && bare);
    EXPECT_EQ(with_colour(record(bodied.get(), false), COLOR_PINNAME), 0u);
    EXPECT_GT(with_colour(record(bodied.get(), false), COLOR_PINNUM), 0u);
    const size_t bare_names = with_colour(record(bare.get(), false), COLOR_PINNAME);
    EXPECT_GT(bare_names, 0u);
    EXPECT_GT(with_colour(record(bare.get(), false), COLOR_PINNUM), 0u);

    // Each pin chooses: names shown, numbers hidden, body or not.
    for (Schema* doc : {bodied.get(), bare.get()}) {
        PlacedPart* placed = as_PlacedPart(*list_items<SchItem>(doc->sheet->items).begin());
        for (Pin* p : list_items<Pin>(pl_pins_in_use(doc->library, placed)->pins))
            p->flags |= PIN_DISPLAY | PIN_SHOW_NAME;
        EXPECT_EQ(with_colour(record(doc, false), COLOR_PINNAME), bare_names);
        EXPECT_EQ(with_colour(record(doc, false), COLOR_PINNUM), 0u);
    }
}

// The bounds index measures every placing of a part; placings of one part
// share its measure unless one carries pins of its own, which may show
// other names.
TEST_F(DrawItemsTest, APlacingWithItsOwnPinsIsMeasuredAsItDraws) {
    const std::string placing =
        "(PARTLIB 'lib/P' 0x00000001 1.000000 POWEROFF NO_ROT NORMAL_PART DEVICE 0 (POS %d 10000 "
        ") (ATTRIBUTE 'U1' VIS (POS 0 0 ) ) (ATTRIBUTE 'X' VIS (POS 0 0 ) ) )";
    auto at = [&](int x) {
        std::string text(placing.size() + 16, '\0');
        text.resize(size_t(std::snprintf(text.data(), text.size(), placing.c_str(), x)));
        return text;
    };
    SchemaPtr doc = compile(
        "(SCHEMATIC (SHEET " + at(10000) + at(30000) +
        " )\n (LIB '$ACTIVE$' (PFXS ) (PARTS (LPART (PART (COMMON (TYPE STANDARD 1) (SIZE 2000 "
        "2000 ) (REFERENCE 'U' ) ) (NORMAL (PINS (PIN 'IN' IN LEFT (POS 0 1000 ) '3' ) (PIN 'OUT' "
        "OUT RIGHT (POS 2000 1000 ) '4' ) ) (VECTOR (RECT DRAW (POS 0 0 ) (POS 2000 2000 ) ) ) ) ) "
        "(ALIAS (NAME 'lib/P' ) ) ) ) ) )");
    ASSERT_TRUE(doc);
    std::vector<PlacedPart*> placed;
    for (SchItem* item : list_items<SchItem>(doc->sheet->items))
        placed.push_back(as_PlacedPart(item));
    ASSERT_EQ(placed.size(), 2u);
    // The second shows a long name on a pin of its own.
    ASSERT_EQ(pl_make_own_pins(doc->library, placed[1]), 0);
    Pin* own = *list_items<Pin>(placed[1]->own_pins->pins).begin();
    own->name.set("A_PIN_NAME_FAR_LONGER_THAN_THE_BODY");
    own->flags |= PIN_DISPLAY | PIN_SHOW_NAME;

    Rect alone{}, after_another{};
    item_draw_bounds(doc.get(), nullptr, nullptr);
    ASSERT_TRUE(item_draw_bounds(doc.get(), placed[1], &alone));
    item_draw_bounds(doc.get(), nullptr, nullptr);
    Rect first{};
    ASSERT_TRUE(item_draw_bounds(doc.get(), placed[0], &first));
    ASSERT_TRUE(item_draw_bounds(doc.get(), placed[1], &after_another));
    EXPECT_EQ(after_another, alone);
    EXPECT_GT(alone.w, first.w);
}

TEST_F(DrawItemsTest, EveryItemDrawsWithAndWithoutItsDocumentAndThroughAnyMatrix) {
    SchemaPtr schema = load("every_item.asc");
    ASSERT_TRUE(schema);
    Matrix turned;
    matrix_rotate(&turned, 1);
    matrix_mirror(&turned, 1);
    matrix_scale(&turned, 0.5, 0.5);
    size_t with_document = 0;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        for (Schema* doc : {schema.get(), static_cast<Schema*>(nullptr)}) {
            for (const Matrix* m :
                 {static_cast<const Matrix*>(nullptr), static_cast<const Matrix*>(&turned)}) {
                std::vector<Prim> prims;
                DrawAdapter recorder(&prims);
                draw_item(&recorder, doc, item, m, ITEM_COLOURS, STYLE_AS_ITEM);
                if (doc && !m) with_document += !prims.empty();
            }
        }
    }
    // Everything the sheet holds draws something when its document is known.
    EXPECT_EQ(with_document, schema->sheet->items->count);
}

// A record kind that the drawing table forgets would vanish from the screen
// and from prints without a word.
TEST(DrawingTable, EveryRecordKindHasADrawingRow) {
    for (int code = 0; code < ITEM_CODE_LIMIT; ++code) {
        if (!ITEM_OPS[code].make) continue;
        EXPECT_TRUE(item_has_drawing(code)) << ITEM_OPS[code].name << " has no drawing row";
    }
    EXPECT_FALSE(item_has_drawing(-1));
    EXPECT_FALSE(item_has_drawing(ITEM_CODE_LIMIT));
}

TEST_F(DrawItemsTest, EveryPrimitiveOfABodyDrawsItsShapeInThePenGiven) {
    Vectors* body = new_Vectors();
    Line* line = new_Line();
    line->end = Point{1000, 0};
    Circle* circle = new_Circle();
    circle->on = Point{500, 0};
    Boite* box = new_Rect();
    box->corner = Point{1000, 1000};
    Arc* arc = new_Arc();
    arc->start = Point{500, 0};
    arc->end = Point{0, 500};
    Junction* dot = new_Junction();
    dot->width = 100;
    Poly* poly = new_Poly();
    poly->points = {Point{0, 0}, Point{1000, 0}, Point{1000, 1000}};
    Text* text = new_Text();
    text->string = "A";
    set_TextSize(&text->size, 500);
    Fill* fill = new_Fill();
    Line* edge = new_Line();
    edge->end = Point{0, 1000};
    ASSERT_TRUE(dlist_append(fill->items, edge));
    SchItem* items[] = {line, circle, box, arc, dot, poly, text, fill};
    for (SchItem* item : items) ASSERT_TRUE(dlist_append(body->items, item));
    std::vector<Prim> prims;
    DrawAdapter recorder(&prims);
    draw_vectors_on_canvas(nullptr, &recorder, body, nullptr, DRAW_COPY, 0x123456);
    ASSERT_GE(prims.size(), std::size(items));
    for (const Prim& prim : prims) EXPECT_EQ(prim.rgb, 0x123456u);
    EXPECT_EQ(std::count_if(prims.begin(), prims.end(), [](const Prim& p) { return p.filled; }), 2)
        << "the junction's dot and the fill";
    free_Vectors(body);
}

}  // namespace
}  // namespace render_test
