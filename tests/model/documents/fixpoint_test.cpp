// End-to-end fixpoints of the three document kinds: a file opened and saved
// again is saved the same way the next time (byte for byte), and a source
// compiled, saved, opened and decompiled gives the same source again. The
// documents are rich: every sheet item kind, parts with aliases and shared
// bodies, fonts, identification fields and a title block.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/dib.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/image.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_fixture.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/library_samples.h"
#include "model/items/text.h"
#include "support/test_env.h"

namespace {

using sheet_test::SchemaPtr;

void quiet(const char*, ...) {}

class Fixpoints : public sheet_test::SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        init_Libraries();
        proper_set(DIR_PROJECT, dir_.path().string().c_str(), 0);
        proper_set(DIR_LIBRARY, dir_.path().string().c_str(), 0);
        proper_set(COMPSHEET_HIER, 1, 0);  // the sub-sheet box's file is not part of the test
    }
    void TearDown() override {
        free_LibraryList(lib_list);
        lib_list = nullptr;
        SheetTest::TearDown();
    }
    std::string file(const std::string& name) const { return dir_.file(name); }
    std::vector<unsigned char> bytes(const std::string& name) const {
        return tn_test::read_bytes(file(name));
    }
    std::string text(const std::string& name) const { return tn_test::read_text(file(name)); }

    // Every item kind, a second placed part with further attributes, the
    // interface ports, fonts, identification fields and a title block.
    SchemaPtr rich_sheet() {
        SchemaPtr schema = sheet_test::make_schema();
        sheet_test::add_every_kind(schema.get());
        // ERC marks belong to the document's ERC list, not to the drawing.
        schema->erc_list = list_new();
        for (DListNode* node : dlist_nodes(schema->sheet->items)) {
            if (static_cast<SchItem*>(node->data)->type != ERC_ITEM) continue;
            dlist_append(schema->erc_list, node->data);
            dlist_remove(schema->sheet->items, node, nullptr);
        }
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != IMAGE_ITEM) continue;
            Image* image = as_Image(item);
            std::filesystem::copy_file(tn_test::data_path("model/documents/image_8bit.bmp"),
                                       file("logo.bmp"));
            std::free(image->file_name);
            image->file_name = str_dup(file("logo.bmp").c_str());
            image->bitmap = image_load(image->file_name, 0);
        }
        sheet_test::add_titleblock(schema.get());
        Port* port = new_Port();
        port->name.set("RESET");
        port->flags = PORT_OUTPUT;
        port->pos = Point{0, 40000};
        schema->ports = list_new();
        dlist_append(schema->ports, port);
        schema->fonts = list_new();
        dlist_append(schema->fonts, library_samples::font(1, "Arial", 100));
        Text* styled = new_Text();
        styled->string = "Styled";
        styled->font = 11;
        styled->pos = Point{60000, 60000};
        dlist_append(schema->sheet->items, styled);
        resolve_item_fonts(schema->sheet->items, schema->fonts);
        // A converted part at half scale with a sheet path and further fields.
        PlacedPart* placed = new_PlacedPart();
        placed->part_name.set("7400");
        placed->pos = Point{70000, 10000};
        placed->flags = PL_CONVERT | PL_MX | 3;
        placed->scale = 8;
        placed->sheet_path = "\\top\\u9";
        placed->time_stamp = 0x00C0FFEE;
        placed->reference.text.set("U9");
        placed->reference.flags = VIS;
        placed->value.text.set("74HC00");
        placed->attributes = list_new();
        dlist_append(placed->attributes, library_samples::attribute("DIP14", VIS | SET, {1, 2}));
        dlist_append(placed->attributes, library_samples::attribute("note", 0, {3, 4}));
        dlist_append(schema->sheet->items, placed);
        Text* drawn = new_Text();
        drawn->string = "Checked";
        drawn->font = 11;
        drawn->pos = Point{35000, 500};
        dlist_append(schema->titleblock.drawing, drawn);
        resolve_item_fonts(schema->titleblock.drawing, schema->fonts);
        schema_set_field(schema.get(), FIELD_TITLE, "Fixpoint");
        schema_set_field(schema.get(), FIELD_COMPANYADDR5, "Somewhere");
        schema_set_field(schema.get(), FIELD_USER1 + 9, "tenth");
        schema->sheet_size = 6;
        return schema;
    }

    tn_test::TempDir dir_;
};

// Opens a schematic and saves it under another name.
void resave_schema(const std::string& from, const std::string& to) {
    Schema* schema = nullptr;
    ASSERT_EQ(load_schema_file(&schema, from.c_str()), 0) << from;
    ASSERT_EQ(save_schema_file(schema, to.c_str(), false), 0) << to;
    close_schema(nullptr, &schema);
}

TEST_F(Fixpoints, SheetBinary) {
    std::string today = date_string();  // saving sets MODIFDATE to today
    SchemaPtr schema = rich_sheet();
    ASSERT_EQ(save_schema_file(schema.get(), file("gen.sch").c_str(), false), 0);
    resave_schema(file("gen.sch"), file("one.sch"));
    resave_schema(file("one.sch"), file("two.sch"));
    if (date_string() != today) GTEST_SKIP() << "the date changed";
    EXPECT_EQ(bytes("two.sch"), bytes("one.sch"));
}

TEST_F(Fixpoints, SheetSource) {
    std::string today = date_string();
    // From a saved document: its dates are set then.
    SchemaPtr generated = rich_sheet();
    ASSERT_EQ(save_schema_file(generated.get(), file("gen.sch").c_str(), false), 0);
    Schema* schema = nullptr;
    ASSERT_EQ(load_schema_file(&schema, file("gen.sch").c_str()), 0);
    ASSERT_EQ(decompile_schema(schema, file("first").c_str()), 0);
    close_schema(nullptr, &schema);
    ASSERT_EQ(compile_sheets(file("first").c_str(), file("compiled").c_str(), nullptr, nullptr,
                             quiet),
              0);
    Schema* again = nullptr;
    ASSERT_EQ(load_schema_file(&again, file("compiled").c_str()), 0);
    ASSERT_EQ(decompile_schema(again, file("second").c_str()), 0);
    close_schema(nullptr, &again);
    if (date_string() != today) GTEST_SKIP() << "the date changed";
    EXPECT_EQ(text("second.asc"), text("first.asc"));
}

TEST_F(Fixpoints, Library) {
    library_samples::LibraryPtr sample = library_samples::sample_library();
    ASSERT_EQ(save_Library(file("gen.clb").c_str(), sample.get()), 0);
    for (const char* step : {"one", "two"}) {
        Library* library = new_Library();
        ASSERT_EQ(load_Library(library, file(step == std::string("one") ? "gen" : "one").c_str(),
                               false),
                  0);
        ASSERT_EQ(save_Library(file(std::string(step) + ".clb").c_str(), library), 0);
        free_Library(library);
    }
    EXPECT_EQ(bytes("two.clb"), bytes("one.clb"));

    ASSERT_EQ(decompile_library(file("one.clb").c_str(), file("first").c_str(), quiet), 0);
    ASSERT_EQ(compile_library(file("first.slb").c_str(), file("compiled.clb").c_str(), quiet), 0);
    ASSERT_EQ(decompile_library(file("compiled.clb").c_str(), file("second").c_str(), quiet), 0);
    EXPECT_EQ(text("second.slb"), text("first.slb"));
}

TEST_F(Fixpoints, TitleBlock) {
    SchemaPtr schema = rich_sheet();
    ASSERT_EQ(save_titleblock_file(file("gen").c_str(), schema.get()), 0);
    for (const char* step : {"one", "two"}) {
        SchemaPtr loaded = sheet_test::make_schema();
        ASSERT_EQ(load_titleblock_file(file(step == std::string("one") ? "gen" : "one").c_str(),
                                       loaded.get()),
                  0);
        ASSERT_EQ(save_titleblock_file(file(step).c_str(), loaded.get()), 0);
    }
    EXPECT_EQ(bytes("two.tbl"), bytes("one.tbl"));

    SchemaPtr first = sheet_test::make_schema();
    ASSERT_EQ(load_titleblock_file(file("one").c_str(), first.get()), 0);
    ASSERT_EQ(decompile_titleblock(first.get(), file("first").c_str(), quiet), 0);
    ASSERT_EQ(compile_titleblock(file("first").c_str(), file("compiled").c_str(), quiet), 0);
    SchemaPtr second = sheet_test::make_schema();
    ASSERT_EQ(load_titleblock_file(file("compiled").c_str(), second.get()), 0);
    ASSERT_EQ(decompile_titleblock(second.get(), file("second").c_str(), quiet), 0);
    EXPECT_EQ(text("second.asc"), text("first.asc"));
}

}  // namespace
