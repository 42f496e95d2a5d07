// The shell's logic that needs no window: the command table, file names,
// the autosave rotation, the title fields' text form, the status prompt and
// the start-up options.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/font_record.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "shell/app.h"
#include "shell/commands.h"
#include "shell/shell_ops.h"
#include "shell/toolbar.h"
#include "support/test_env.h"

namespace {

using tn_test::TempDir;

// --- command table -----------------------------------------------------------------

TEST(CommandTable, EveryEntryHasAnIdInRangeAndEachBarHoldsAnIdOnce) {
    for (unsigned bar : {BAR_NONE, BAR_SHEET, BAR_LIBRARY, BAR_TEMPLATE}) {
        std::set<int> ids;
        for (const CommandEntry& e : command_table()) {
            if (e.id == 0 || !(e.bars & bar)) continue;
            EXPECT_GE(e.id, CMD_FIRST) << e.label;
            EXPECT_LE(e.id, CMD_LAST) << e.label;
            EXPECT_TRUE(ids.insert(e.id).second) << "id " << e.id << " twice in bar " << bar;
            EXPECT_NE(std::strlen(e.label), 0u);
        }
        EXPECT_FALSE(ids.empty());
    }
}

TEST(CommandTable, AcceleratorsParseAndNoBarGivesOneKeyTwoCommands) {
    for (unsigned bar : {BAR_NONE, BAR_SHEET, BAR_LIBRARY, BAR_TEMPLATE}) {
        std::map<std::pair<int, int>, int> keys;
        for (const CommandEntry& e : command_table()) {
            if (e.id == 0 || !(e.bars & bar) || !std::strchr(e.label, '\t')) continue;
            Accelerator a;
            ASSERT_TRUE(parse_accelerator(e.label, &a)) << e.label;
            auto [it, fresh] = keys.emplace(std::make_pair(a.modifiers, a.key), e.id);
            EXPECT_TRUE(fresh) << e.label << " shares its key with " << it->second;
        }
    }
}

TEST(CommandTable, NamedCommandsStandWhereTheUserLooksForThem) {
    const CommandEntry* wire = find_command(EDITOR_WIRE);
    ASSERT_NE(wire, nullptr);
    EXPECT_STREQ(wire->label, "&Wire");
    EXPECT_STREQ(wire->help, "Add Wires");
    EXPECT_EQ(wire->menu, MENU_PLACE);
    EXPECT_STREQ(find_command(20089)->label, "&Junction\tCtrl+J");
    EXPECT_STREQ(find_command(CMD_FIND)->label, "&Find...\tCtrl+F");
    EXPECT_STREQ(find_command(CMD_SHORTCUTS)->help, "Show Actives Keys");
    EXPECT_EQ(find_command(0), nullptr);
    EXPECT_EQ(find_command(19999), nullptr);
    // Every command the dispatcher handles can be reached from a menu, but
    // the jobs, which their process dialogs send.
    const std::set<int> jobs = {20161, 20162, 20163, 20164, 20166, 20167, 20169,
                                20170, 20174, 20178, 20179, 20180, 20321, 20322};
    for (int id = CMD_FIRST; id <= CMD_LAST; ++id) {
        if (!command_available(id) || jobs.count(id)) continue;
        EXPECT_NE(find_command(id), nullptr) << id;
    }
    // The sheet editor's commands are available.
    EXPECT_TRUE(command_available(EDITOR_WIRE));
    EXPECT_TRUE(command_available(CMD_SAVE));
}

TEST(CommandTable, AcceleratorTextsOutsideTheTableAreRefused) {
    Accelerator a;
    EXPECT_FALSE(parse_accelerator("&Wire", &a));
    EXPECT_FALSE(parse_accelerator("x\tCtrl+", &a));
    EXPECT_FALSE(parse_accelerator("x\tF13", &a));
    EXPECT_FALSE(parse_accelerator("x\tCtrl+Home", &a));
    ASSERT_TRUE(parse_accelerator("x\tCtrl+Shift+s", &a));
    EXPECT_EQ(a.modifiers, 5);
    EXPECT_EQ(a.key, 'S');
    ASSERT_TRUE(parse_accelerator("x\tF1", &a));
    EXPECT_EQ(a.key, KEY_FUNCTION + 1);
    ASSERT_TRUE(parse_accelerator("x\tCtrl++", &a));
    EXPECT_EQ(a.key, '+');
}

TEST(Toolbar, ButtonsRunTheCommandOfTheCanvasKind) {
    EXPECT_EQ(toolbar_command_for(TOOL_SAVE, CANVAS_SHEET), CMD_SAVE);
    EXPECT_EQ(toolbar_command_for(TOOL_SAVE, CANVAS_LIBRARY), CMD_LIB_SAVE);
    EXPECT_EQ(toolbar_command_for(TOOL_SAVE, CANVAS_TEMPLATE), CMD_TMPL_SAVE);
    EXPECT_EQ(toolbar_command_for(TOOL_SAVE, CANVAS_NONE), 0);
    EXPECT_EQ(toolbar_command_for(TOOL_PREVIEW, CANVAS_LIBRARY), CMD_PREVIEW_LIBRARY);
    EXPECT_EQ(toolbar_command_for(TOOL_UNDO, CANVAS_TEMPLATE), 20248);
    EXPECT_EQ(toolbar_command_for(TOOL_BUS, CANVAS_LIBRARY), 0);
    EXPECT_EQ(toolbar_command_for(TOOL_OPEN, CANVAS_NONE), CMD_OPEN);
    EXPECT_EQ(toolbar_command_for(TOOL_FIRST - 1, CANVAS_SHEET), 0);
    EXPECT_EQ(toolbar_command_for(TOOL_LAST + 1, CANVAS_SHEET), 0);
    EXPECT_EQ(toolbar_command_for(PALETTE_FIRST + 3, CANVAS_SHEET), EDITOR_PLACE_PART);
    EXPECT_EQ(toolbar_command_for(PALETTE_FIRST + 3, CANVAS_LIBRARY), 0);
    EXPECT_EQ(toolbar_command_for(TOOL_SAVE, CANVAS_PREVIEW), 0);
}

// --- file names ------------------------------------------------------------------------

struct NameCase {
    const char* path;
    bool valid;
};
class CheckFileName : public testing::TestWithParam<NameCase> {};
TEST_P(CheckFileName, JudgesOnlyTheLastComponent) {
    EXPECT_EQ(check_file_name(GetParam().path), GetParam().valid) << GetParam().path;
}
INSTANTIATE_TEST_SUITE_P(Names, CheckFileName,
                         testing::Values(NameCase{"root.sch", true},
                                         NameCase{"C:\\my dir\\root.sch", true},
                                         NameCase{"/my dir/a-b_c.sch", true},
                                         NameCase{"my file.sch", false}, NameCase{"a<b.sch", false},
                                         NameCase{"a>b", false}, NameCase{"a\"b", false},
                                         NameCase{"a|b", false}, NameCase{"dir/a\tb", false},
                                         NameCase{"dir/a\x01"
                                                  "b",
                                                  false},
                                         NameCase{"", true}, NameCase{"C:", true},
                                         NameCase{"dir/\xc3\xa9t\xc3\xa9.sch", true}));

TEST(DefaultFileName, TakesTheFirstSuffixOfThePropertyAndKeepsDirectories) {
    EXPECT_EQ(default_file_name_for("", ".net"), "Untitled");
    EXPECT_EQ(default_file_name_for("/p/root.sch", ".net"), "/p/root.net");
    EXPECT_EQ(default_file_name_for("/p/root.sch", ".bom,.txt"), "/p/root.bom");
    EXPECT_EQ(default_file_name_for("/p.d/root", ".erc"), "/p.d/root.erc");
    EXPECT_EQ(default_file_name_for("C:\\p.d\\root.sch", ""), "C:\\p.d\\root");
    EXPECT_EQ(default_file_name_for("a.b.sch", ".x"), "a.b.x");
}

// --- autosave -------------------------------------------------------------------------------

int write_tag(void* tag, FILE* out) {
    std::fputs(static_cast<const char*>(tag), out);
    return 0;
}
int fail_write(void*, FILE*) { return 6; }

TEST(Autosave, CopiesRotateAndTheOldestGoes) {
    TempDir dir;
    std::string sheet = dir.file("root.sch");
    EXPECT_EQ(autosave_copy_name(sheet, 1), dir.file("root.001"));
    EXPECT_EQ(autosave_copy_name(sheet, 12), dir.file("root.012"));
    const char* tags[] = {"first", "second", "third", "fourth"};
    for (const char* tag : tags)
        ASSERT_EQ(autosave_rotate(sheet, 3, write_tag, const_cast<char*>(tag)), 0);
    EXPECT_EQ(tn_test::read_text(dir.file("root.001")), "fourth");
    EXPECT_EQ(tn_test::read_text(dir.file("root.002")), "third");
    EXPECT_EQ(tn_test::read_text(dir.file("root.003")), "second");
    EXPECT_NE(file_access(dir.file("root.004").c_str(), 0), 0);
    EXPECT_NE(file_access(sheet.c_str(), 0), 0);  // the sheet itself is never touched
}

TEST(Autosave, AFailedCopyLeavesNoPartFileAndKeepsTheOlderCopies) {
    TempDir dir;
    std::string sheet = dir.file("root.sch");
    ASSERT_EQ(autosave_rotate(sheet, 2, write_tag, const_cast<char*>("good")), 0);
    EXPECT_EQ(autosave_rotate(sheet, 2, fail_write, nullptr), 6);
    EXPECT_NE(file_access(dir.file("root.001").c_str(), 0), 0);
    EXPECT_EQ(tn_test::read_text(dir.file("root.002")), "good");
    // A directory that cannot be written answers a code, never a crash.
    EXPECT_NE(autosave_rotate(dir.file("missing/root.sch"), 2, write_tag, const_cast<char*>("x")),
              0);
}

TEST(Autosave, ACopyNeverWritesThroughALinkToAnotherFile) {
    // The sheet's folder comes from someone else: its first copy is a link
    // to a file that is not there yet, outside.
    TempDir dir;
    std::filesystem::create_directories(dir.file("proj"));
    std::filesystem::create_directories(dir.file("away"));
    const std::string sheet = dir.file("proj/root.sch");
    std::filesystem::create_symlink(dir.file("away/new.sch"), dir.file("proj/root.001"));
    ASSERT_EQ(autosave_rotate(sheet, 3, write_tag, const_cast<char*>("copy")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("away/new.sch")));
    EXPECT_EQ(tn_test::read_text(dir.file("proj/root.001")), "copy");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("proj/root.002"))) << "moved up as it is";

    // A link to a user's file that cannot be moved up (folders hold the
    // next names) is not written through.
    tn_test::write_text(dir.file("away/notes.txt"), "notes");
    std::filesystem::remove(dir.file("proj/root.001"));
    std::filesystem::remove(dir.file("proj/root.002"));
    std::filesystem::create_symlink(dir.file("away/notes.txt"), dir.file("proj/root.001"));
    std::filesystem::create_directories(dir.file("proj/root.002/x"));
    std::filesystem::create_directories(dir.file("proj/root.003/x"));
    EXPECT_EQ(autosave_rotate(sheet, 3, write_tag, const_cast<char*>("copy")), FILE_NOT_WRITTEN);
    EXPECT_EQ(tn_test::read_text(dir.file("away/notes.txt")), "notes");
}

// --- title fields ------------------------------------------------------------------------

TEST(TitleFields, ExportThenImportGivesTheSameFieldsAndADamagedFileChangesNothing) {
    TempDir dir;
    Schema* schema = nullptr;
    new_active_schema(&schema);
    schema_set_field(schema, 1, "DOC-1");
    schema_set_field(schema, 3, "A title, with a comma");
    schema_set_field(schema, 26, "user 10");
    std::string file = dir.file("fields.txt");
    ASSERT_EQ(title_fields_write(schema, file.c_str()), 0);
    EXPECT_EQ(tn_test::read_text(file).rfind("\"DOC-1\",\"\",\"A title, with a comma\",", 0), 0u);

    Schema* other = nullptr;
    new_active_schema(&other);
    ASSERT_EQ(title_fields_read(other, file.c_str()), 0);
    for (int i = 1; i <= 26; ++i)
        EXPECT_STREQ(schema_field(other, i), schema_field(schema, i)) << "field " << i;

    tn_test::write_text(file, "\"NEW\",\"unterminated\n");
    EXPECT_EQ(title_fields_read(other, file.c_str()), 5);
    EXPECT_STREQ(schema_field(other, 1), "DOC-1");
    tn_test::write_text(file, "no columns at all\n");
    EXPECT_EQ(title_fields_read(other, file.c_str()), 5);
    EXPECT_EQ(title_fields_read(other, dir.file("missing.txt").c_str()), 1);
    // A column longer than its field is cut, never overflowed.
    tn_test::write_text(file, "\"" + std::string(500, 'x') + "\",");
    ASSERT_EQ(title_fields_read(other, file.c_str()), 0);
    EXPECT_EQ(std::strlen(schema_field(other, 1)), FIELD_LONG - 1);
    close_schema(nullptr, &schema);
    close_schema(nullptr, &other);
}

// --- status line and fonts -----------------------------------------------------------------

TEST(Prompt, LongTextsAreCutToTheFieldNeverInsideACharacter) {
    EXPECT_EQ(prompt_text(nullptr), "");
    EXPECT_EQ(prompt_text("Add Wires"), "Add Wires");
    std::string long_text(60, 'a');
    EXPECT_EQ(prompt_text(long_text.c_str()).size(), PROMPT_MAX);
    std::string accents = std::string(38, 'a') + "\xc3\xa9\xc3\xa9";
    EXPECT_EQ(prompt_text(accents.c_str()), std::string(38, 'a'));
}

TEST(FontDescription, NamesFaceSizeAndStyle) {
    Font* font = new_Font();
    std::strcpy(font->face_name, "Arial");
    font->size = -120;
    font->weight = 700;
    font->italic = 1;
    EXPECT_EQ(font_description(font), "Arial,12pts,Bold,Italic");
    font->weight = 400;
    font->italic = 0;
    EXPECT_EQ(font_description(font), "Arial,12pts,Normal");
    font->weight = 300;
    font->underline = 1;
    font->strike_out = 1;
    EXPECT_EQ(font_description(font), "Arial,12pts,Light,Underline,Strikeout");
    EXPECT_EQ(font_description(nullptr), "");
    free_Font(font);
}

// --- start-up options -------------------------------------------------------------------------

TEST(StartOptions, OptionsAnywhereEditorsTakeAnOptionalFile) {
    StartOptions o = parse_start_options({"a.sch", "-debug", "-conf", "my.ini", "b.sch", "-libedit",
                                          "-template", "t.tpl", "-wdial"});
    EXPECT_TRUE(o.debug);
    EXPECT_TRUE(o.wdial);
    EXPECT_EQ(o.conf, "my.ini");
    EXPECT_EQ(o.sheets, (std::vector<std::string>{"a.sch", "b.sch"}));
    EXPECT_TRUE(o.libedit);
    EXPECT_EQ(o.libedit_file, "");
    EXPECT_TRUE(o.templ);
    EXPECT_EQ(o.template_file, "t.tpl");

    StartOptions last = parse_start_options({"-libedit", "lib.clb", "-conf"});
    EXPECT_EQ(last.libedit_file, "lib.clb");
    EXPECT_EQ(last.conf, "");
    EXPECT_TRUE(last.sheets.empty());
}

}  // namespace
