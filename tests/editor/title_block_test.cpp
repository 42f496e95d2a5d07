// Place > Title Block: a title block saved by the title-block editor put on
// a sheet, its controls showing the sheet's own fields, its fonts joined to
// the document's; the old block replaced only when the user agrees, Undo
// bringing it back, and a file that cannot be read changing nothing. A
// pasted title block likewise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/editor_commands.h"
#include "editor_fixture.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/paste.h"
#include "model/documents/schema.h"
#include "model/documents/titleblock.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "support/test_env.h"

using namespace editor_test;

namespace {

constexpr int ANSWER_YES = 8;
constexpr int ANSWER_NO = 16;

bool list_empty_or_null(const List* list) { return !list || list->count == 0; }

Text* control(Schema* schema, int field) {
    for (SchItem* item : list_items<SchItem>(schema->titleblock.fields))
        if (item->type == TEXT_ITEM && as_Text(item)->field == field) return as_Text(item);
    return nullptr;
}

class PlaceTitleBlock : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        // The template as the title-block editor saves it: its controls show
        // what they stand for, its title in a font of its own.
        sheet_test::SchemaPtr model = sheet_test::make_schema();
        sheet_test::add_titleblock(model.get());
        control(model.get(), FIELD_TITLE)->string = "<Title>";
        control(model.get(), FIELD_SHEETSIZE)->string = "<Size>";
        sheet_test::add_font(&model->fonts, 0, "Courier");
        control(model.get(), FIELD_TITLE)->font = 10;
        ASSERT_EQ(save_titleblock_file(template_file.c_str(), model.get()), 0);

        // The sheet: an A4 sheet with a title, a font of its own numbered as
        // the template's, and a title block of one frame.
        schema_set_field(doc(), FIELD_TITLE, "Amplifier");
        doc()->sheet_size = 5;
        sheet_test::add_font(&doc()->fonts, 0, "Arial");
        Boite* frame = new_Rect();
        frame->flags = DRAW;
        frame->corner = Point{5000, 2000};
        dlist_append(doc()->titleblock.drawing, frame);
        titleblock_bounds(doc());

        Services asking;
        asking.message_box = [this](const char* text, const char*, int) {
            questions.emplace_back(text);
            return answer;
        };
        install_services(asking);
    }

    std::vector<std::string> questions;
    int answer = ANSWER_NO;
    tn_test::TempDir dir;
    std::string template_file = dir.file("frame.tbl");
};

TEST_F(PlaceTitleBlock, ItShowsTheSheetsFieldsOnlyOnceAgreedAndUndoTakesItBack) {
    const std::vector<unsigned char> before = saved_bytes();
    ASSERT_EQ(place_titleblock_file(&session, template_file.c_str()), 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].find("Ok to remove existing Title Block ?"), 0u) << questions[0];
    EXPECT_EQ(saved_bytes(), before) << "kept the old block, yet the sheet changed";
    EXPECT_EQ(host.modified, 0);

    answer = ANSWER_YES;
    ASSERT_EQ(place_titleblock_file(&session, template_file.c_str()), 0);
    EXPECT_EQ(doc()->titleblock.drawing->count, 4u);
    ASSERT_EQ(doc()->titleblock.fields->count, 3u);
    EXPECT_EQ(control(doc(), FIELD_TITLE)->string, "Amplifier");
    EXPECT_EQ(control(doc(), FIELD_SHEETSIZE)->string, "A4 ");
    EXPECT_EQ(control(doc(), FIELD_DOCNUMBER)->string, "");
    // The template's font joined the document's under a number of its own.
    ASSERT_EQ(doc()->fonts->count, 2u);
    const Font* courier = static_cast<const Font*>(doc()->fonts->tail->data);
    EXPECT_EQ(control(doc(), FIELD_TITLE)->font, courier->number + 10);
    EXPECT_NE(courier->number, 0);
    EXPECT_GT(host.modified, 0);

    // Undo puts the old block back (the document read back from its copy).
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_TRUE(list_empty_or_null(doc()->titleblock.fields));
    ASSERT_EQ(doc()->titleblock.drawing->count, 1u);
    EXPECT_EQ(static_cast<SchItem*>(doc()->titleblock.drawing->head->data)->type, BOITE_ITEM);
    EXPECT_EQ(doc()->fonts->count, 1u);
}

Point lower_right(const Rect& r) { return Point{r.x + r.w, r.y + r.h}; }

// The block placed takes the old one's place (their lower right corners at
// one point), or the sheet's lower right corner on a sheet without one; a
// press on its outline drawn out moves it whole, Delete leaves it, Undo
// takes the move back.
TEST_F(PlaceTitleBlock, ItStandsWhereTheOldOneStoodAndItsOutlineMovesItWhole) {
    answer = ANSWER_YES;
    const Rect was = doc()->titleblock.bounds;
    ASSERT_EQ(place_titleblock_file(&session, template_file.c_str()), 0);
    const Rect placed = doc()->titleblock.bounds;
    EXPECT_EQ(lower_right(placed), lower_right(was));
    const Point title = control(doc(), FIELD_TITLE)->pos;

    const Point on_top{placed.x + placed.w / 2, placed.y}, to{on_top.x - 3000, on_top.y - 2000};
    draw_out(on_top, to);
    const Rect moved = doc()->titleblock.bounds;
    EXPECT_EQ(moved.w, placed.w);
    EXPECT_EQ((Point{moved.x, moved.y}), (Point{placed.x - 3000, placed.y - 2000}));
    EXPECT_EQ(control(doc(), FIELD_TITLE)->pos, (Point{title.x - 3000, title.y - 2000}));
    session_key(&session, TK_DELETE);
    EXPECT_EQ(doc()->titleblock.fields->count, 3u) << "Delete took the title block";
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(lower_right(doc()->titleblock.bounds), lower_right(was)) << "Undo left it moved";

    // A press inside the block, off its outline, draws an area.
    const Point inside{placed.x + placed.w / 3, placed.y + placed.h / 2};
    draw_out(inside, Point{inside.x - 1000, inside.y - 1000});
    EXPECT_EQ(lower_right(doc()->titleblock.bounds), lower_right(was));

    free_SchItem_list(doc(), &doc()->titleblock.fields);
    free_SchItem_list(doc(), &doc()->titleblock.drawing);
    questions.clear();
    ASSERT_EQ(place_titleblock_file(&session, template_file.c_str()), 0);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(lower_right(doc()->titleblock.bounds), schema_sheet_extent(doc()));
}

// A title block copied from another sheet and pasted: the old block goes
// only when the pasted one is placed, and Undo brings it back; a paste
// dropped with Esc leaves it as it was.
TEST_F(PlaceTitleBlock, APastedBlockReplacesTheOldOnlyWhenPlacedAndUndoBringsItBack) {
    sheet_test::SchemaPtr other = sheet_test::make_schema();
    sheet_test::add_titleblock(other.get());
    other->edit.edit_list = list_new();
    dlist_append(other->edit.edit_list, &other->titleblock);
    ASSERT_NE(write_paste_schema(other.get()), nullptr);
    const std::vector<unsigned char> before = saved_bytes();
    auto old_frame_only = [&] {
        return list_empty_or_null(doc()->titleblock.fields) &&
               doc()->titleblock.drawing->count == 1u &&
               static_cast<SchItem*>(doc()->titleblock.drawing->head->data)->type == BOITE_ITEM;
    };

    script_answers({ANSWER_YES, ANSWER_YES});
    ASSERT_EQ(paste_selection(&session), 0);
    EXPECT_EQ(last_box_text(), "Ok to remove existing Title Block ?");
    EXPECT_TRUE(old_frame_only()) << "erased while the paste follows the pointer";
    session_key(&session, TK_ESCAPE);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_TRUE(old_frame_only()) << "erased by a paste that was dropped";
    EXPECT_TRUE(saved_bytes() == before);

    ASSERT_EQ(paste_selection(&session), 0);
    click(Point{60000, 40000});
    EXPECT_EQ(doc()->titleblock.fields->count, 3u);
    EXPECT_EQ(doc()->titleblock.drawing->count, 4u);
    EXPECT_GT(host.modified, 0);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_TRUE(old_frame_only()) << "Undo did not bring the old block back";
}

TEST_F(PlaceTitleBlock, AFileThatCannotBeReadChangesNothingAndAsksNothing) {
    const std::vector<unsigned char> before = saved_bytes();
    EXPECT_NE(place_titleblock_file(&session, dir.file("missing.tbl").c_str()), 0);
    const std::string sheet = dir.file("sheet.tbl");
    tn_test::write_text(sheet, "not a title block");
    EXPECT_NE(place_titleblock_file(&session, sheet.c_str()), 0);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(saved_bytes(), before);
    EXPECT_EQ(host.modified, 0);
}

}  // namespace
