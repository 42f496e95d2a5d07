// The INI forms of every value kind, loading, and the system font list.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/config_fixture.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "support/test_env.h"

namespace {

// --- round trips ------------------------------------------------------------------
// Each row sets a value, expects the exact INI line it writes, and reads the
// file back into a store reset to its defaults.

struct RoundTrip {
    const char* name;
    void (*set)();
    const char* line;
    void (*check)();
};

class IniRoundTrip : public ConfigTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(IniRoundTrip, WritesAndLoadsBack) {
    const RoundTrip& row = GetParam();
    row.set();
    EXPECT_NE(ini_text().find(std::string("\n") + row.line + "\n"), std::string::npos)
        << ini_text();
    reload();
    row.check();
}

const RoundTrip round_trips[] = {
    {"flag_true", [] { proper_set(SHOW_GRID, 0, SHOW_GRID, 1, 0); }, "SHOW_GRID=True",
     [] { EXPECT_EQ(proper_get(SHOW_GRID), 1); }},
    {"flag_two_loads_as_one", [] { proper_set(STAY_GRID, 2, 0); }, "STAY_GRID=True",
     [] { EXPECT_EQ(proper_get(STAY_GRID), 1); }},
    {"byte_signed", [] { proper_set(POWER_TYPE, 0xC8, 0); }, "POWER_TYPE=-56",
     [] { EXPECT_EQ(proper_get(POWER_TYPE), -56); }},
    {"word", [] { proper_set(LOGPRINT_ORIENT, -2, 0); }, "LOGPRINT_ORIENT=-2",
     [] { EXPECT_EQ(proper_get(LOGPRINT_ORIENT), -2); }},
    {"int", [] { proper_set(GRID_SIZE, -123456, 0); }, "GRID_SIZE=-123456",
     [] { EXPECT_EQ(proper_get(GRID_SIZE), -123456); }},
    {"double", [] { proper_set(ZOOM_CUT, 0.25, 0); }, "ZOOM_CUT=0.250000",
     [] { EXPECT_DOUBLE_EQ(fproper_get(ZOOM_CUT), 0.25); }},
    {"colour", [] { proper_set(COLOR_WIRE, 0x0000FF, 0); }, "COLOR_WIRE=RGB( 255,   0,   0)",
     [] { EXPECT_EQ(proper_get(COLOR_WIRE), 255); }},
    {"colour_all_parts", [] { proper_set(COLOR_BUS, 0x00332211, 0); },
     "COLOR_BUS=RGB(  17,  34,  51)", [] { EXPECT_EQ(proper_get(COLOR_BUS), 0x00332211); }},
    {"text", [] { proper_set(POWER_NAME, "GND", 0); }, "POWER_NAME=GND",
     [] { EXPECT_STREQ(strproper_get(POWER_NAME), "GND"); }},
    {"text_list", [] { proper_set(FIELD_NAME, 0, "Tol", FIELD_NAME, 1, "Pkg", 0); },
     "FIELD_NAME_1=Pkg",
     [] {
         EXPECT_STREQ(strproper_get(FIELD_NAME, 0), "Tol");
         EXPECT_STREQ(strproper_get(FIELD_NAME, 1), "Pkg");
     }},
    {"flag_list", [] { proper_set(VISIBLE_FIELDS, 0, 0, 0); }, "VISIBLE_FIELDS_0=False",
     [] { EXPECT_EQ(proper_get(VISIBLE_FIELDS, 0), 0); }},
    {"int_list", [] { proper_set(SIZE_SHEETW, 4, 12345, 0); }, "SIZE_SHEETW_4=12345",
     [] { EXPECT_EQ(proper_get(SIZE_SHEETW, 4), 12345); }},
    {"erc_cell", [] { proper_set(ERC_TABLE, 35, 2, 0); }, "ERC_TABLE_35=2",
     [] { EXPECT_EQ(proper_get(ERC_TABLE, 35), 2); }},
    {"erc_cell_unsigned", [] { proper_set(ERC_TABLE, 288, 200, 0); }, "ERC_TABLE_288=200",
     [] { EXPECT_EQ(proper_get(ERC_TABLE, 288), 200); }},
    {"colour_list", [] { proper_set(COLOR_PARTFIELD, 1, 0x00FF00, 0); },
     "COLOR_PARTFIELD_1=RGB(   0, 255,   0)",
     [] { EXPECT_EQ(proper_get(COLOR_PARTFIELD, 1), 0x00FF00); }},
    {"libraries", [] { proper_set(NB_LIB, 2, THE_LIB, 0, "lib", THE_LIB, 1, "C:\\libs", 0); },
     "THE_LIB_1=C:\\libs",
     [] {
         EXPECT_EQ(proper_get(NB_LIB), 2);
         EXPECT_STREQ(strproper_get(THE_LIB, 1), "C:\\libs");
     }},
    {"part_palette",
     [] {
         proper_set(NB_PART_PALETTE, 1, PART_PALETTE_LIB, 0, "std", PART_PALETTE_PART, 0, "R",
                    PART_PALETTE_CONV, 0, 1, 0);
     },
     "PART_PALETTE_CONV_0=True",
     [] {
         EXPECT_STREQ(strproper_get(PART_PALETTE_LIB, 0), "std");
         EXPECT_STREQ(strproper_get(PART_PALETTE_PART, 0), "R");
         EXPECT_EQ(proper_get(PART_PALETTE_CONV, 0), 1);
     }},
};

INSTANTIATE_TEST_SUITE_P(Kinds, IniRoundTrip, ::testing::ValuesIn(round_trips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigTest, NumbersIgnoreTheLocale) {
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8") ||
                std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        << "no locale with a decimal comma: scripts/setup.sh makes de_DE.UTF-8";
    proper_set(ZOOM_CUT, 0.5, 0);
    write_ini("SPACING_RATIO=2.75\n");
    get_config_value(SPACING_RATIO);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(config_format_double(0.5), "0.500000");
    EXPECT_DOUBLE_EQ(fproper_get(SPACING_RATIO), 2.75);
}

// --- reading rules ------------------------------------------------------------------

TEST(ConfigParse, Flag) {
    EXPECT_EQ(config_parse_flag("False"), 0);
    EXPECT_EQ(config_parse_flag("false"), 0);
    EXPECT_EQ(config_parse_flag("FALSE"), 0);
    EXPECT_EQ(config_parse_flag("0"), 1);
    EXPECT_EQ(config_parse_flag("No"), 1);
    EXPECT_EQ(config_parse_flag("yes"), 1);
}

TEST(ConfigParse, Colour) {
    EXPECT_EQ(config_parse_rgb("RGB( 255,   0,   0)"), 0x0000FF);
    EXPECT_EQ(config_parse_rgb("RGB(1,2,3)"), 0x030201);
    EXPECT_EQ(config_parse_rgb("RGB( 300, 0, 0)"), 300 & 0xFF);
    EXPECT_EQ(config_parse_rgb("RGB( 1000, 2, 3)"), 0);  // four digits do not match
    EXPECT_EQ(config_parse_rgb("RGB( 1, 2)"), 0);
    EXPECT_EQ(config_parse_rgb("red"), 0);
    EXPECT_EQ(config_format_colour(0x00FF8040), "RGB(  64, 128, 255)");
}

TEST_F(ConfigTest, MalformedValuesConvertByTheReadingRules) {
    write_ini(
        "GRID_SIZE=  12abc\nMIN_SHEETW=abc\nMIN_SHEETH=+77\nDASH_STYLE=300\n"
        "ZOOM_CUT=x\nCOLOR_GRID=blue\nSHOW_GRID=\nCURSOR=default\nBAK_FILE=DEFAULT\n"
        "garbage line\n=no key\nNB_BACK==9\nMULTIWIRE_DELTA=-9223372036854775808\n"
        "MULTIWIRE_NB=99999999999999999999999\n");
    reload();
    EXPECT_EQ(proper_get(GRID_SIZE), 12);
    EXPECT_EQ(proper_get(MIN_SHEETW), 0);
    EXPECT_EQ(proper_get(MIN_SHEETH), 77);
    EXPECT_EQ(proper_get(DASH_STYLE), 300 - 256);
    EXPECT_DOUBLE_EQ(fproper_get(ZOOM_CUT), 0.0);
    EXPECT_EQ(proper_get(COLOR_GRID), 0);
    EXPECT_EQ(proper_get(SHOW_GRID), 1);  // an empty value is absent
    EXPECT_EQ(proper_get(CURSOR), 2);     // "default" counts as absent
    EXPECT_EQ(proper_get(BAK_FILE), 1);
    EXPECT_EQ(proper_get(NB_BACK), 0);  // "=9" has no digits first
    // Numbers too large for any integer wrap; they never overflow.
    EXPECT_EQ(proper_get(MULTIWIRE_DELTA), 0);
    EXPECT_EQ(proper_get(MULTIWIRE_NB), -159383553);  // 10^23 mod 2^64, low 32 bits
}

TEST_F(ConfigTest, ReadValueIsAtMost119Characters) {
    write_ini("TEMPLATE_TITLE=" + std::string(200, 't') + "\n");
    const char* v = config_read_value(ini.c_str(), TEMPLATE_TITLE, -1);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(std::string(v), std::string(119, 't'));
    EXPECT_EQ(get_config_value(TEMPLATE_TITLE), 1);
    EXPECT_EQ(std::string(strproper_get(TEMPLATE_TITLE)), std::string(119, 't'));
}

// --- loading -------------------------------------------------------------------------

TEST_F(ConfigTest, LoadAllNeedsTheIniFound) {
    write_ini("GRID_SIZE=5\n");
    ini_found = 0;
    EXPECT_EQ(config_load_all(), 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);
}

// A file is read when it holds settings: DIR_PROJECT, or any other key of
// the section (a file of settings written without it is the user's too).
TEST_F(ConfigTest, FindIniReadsAFileThatHoldsSettings) {
    tn_test::write_text(ini, "[WINDOWS]\nMAIN_x=10\n");
    config_find_ini("/nowhere/tessaron");
    EXPECT_EQ(ini_found, 0);
    write_ini("GRID_SIZE=5\n");
    config_find_ini("/nowhere/tessaron");
    EXPECT_EQ(ini_found, 1);
    write_ini("DIR_PROJECT=C:\\proj\n");
    config_find_ini("/nowhere/tessaron");
    EXPECT_EQ(ini_found, 1);
}

TEST(ConfigFileBeside, NameTakesThePlaceOfTheProgramName) {
    EXPECT_EQ(file_beside("/opt/tn/tessaron", "Quib.ini"), "/opt/tn/Quib.ini");
    EXPECT_EQ(file_beside("C:\\TN\\TN.EXE", "Quib.ini"), "C:\\TN\\Quib.ini");
    EXPECT_EQ(file_beside("C:TN.EXE", "Quib.ini"), "C:Quib.ini");
    EXPECT_EQ(file_beside("tessaron", "Quib.ini"), ".\\Quib.ini");
    EXPECT_EQ(file_beside("/tessaron", "Quib.ini"), ".\\Quib.ini");  // only the first character
    EXPECT_EQ(file_beside(nullptr, "Quib.ini"), ".\\Quib.ini");
}

TEST_F(ConfigTest, AnIniBesideTheProgramBecomesTheIni) {
    tn_test::TempDir program_dir;
    tn_test::write_text(program_dir.file("Quib.ini"), "[TESSARON]\nDIR_PROJECT=here\n");
    EXPECT_EQ(config_startup(nullptr, program_dir.file("tessaron").c_str()), 0);
    EXPECT_EQ(ini_found, 1);
    EXPECT_EQ(std::string(config_ini_name()), program_dir.file("Quib.ini"));
    EXPECT_STREQ(strproper_get(DIR_PROJECT), "here");
}

TEST_F(ConfigTest, StartupWithConfNamesTheIni) {
    tn_test::TempDir program_dir;
    tn_test::write_text(program_dir.file("Quib.ini"), "[TESSARON]\nDIR_PROJECT=here\n");
    std::string other = dir.file("other.ini");
    config_startup(other.c_str(), program_dir.file("tessaron").c_str());
    EXPECT_EQ(ini_found, 0);  // a named file is never swapped for the one beside the program
    EXPECT_EQ(std::string(config_ini_name()), other);

    tn_test::write_text(other, "[TESSARON]\nDIR_PROJECT=p\nGRID_SIZE=250\n");
    config_startup(other.c_str(), program_dir.file("tessaron").c_str());
    EXPECT_EQ(proper_get(GRID_SIZE), 250);
    proper_set(GRID_SIZE, 300, 0);
    EXPECT_NE(tn_test::read_text(other).find("GRID_SIZE=300"), std::string::npos);
}

// The user's settings in a named file without DIR_PROJECT are in force, and
// what the run writes changes only what it sets.
TEST_F(ConfigTest, ANamedFileWithoutTheProjectFolderIsReadBeforeItIsWritten) {
    std::string mine = dir.file("mine.ini");
    tn_test::write_text(mine, "[TESSARON]\nGRID_SIZE=250\nSHOW_GRID=False\n");
    EXPECT_EQ(config_startup(mine.c_str(), nullptr), 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 250);
    EXPECT_EQ(proper_get(SHOW_GRID), 0);
    proper_set(STAY_GRID, 0, 0);
    EXPECT_EQ(tn_test::read_text(mine),
              "[TESSARON]\nGRID_SIZE=250\nSHOW_GRID=False\nSTAY_GRID=False\n");
}

// A settings name that is there but cannot be read (a folder here) is
// reported and never replaced.
TEST_F(ConfigTest, AnUnreadableFileIsReportedAndKeptAsItIs) {
    std::string mine = dir.file("mine.ini");
    std::filesystem::create_directory(mine);
    tn_test::write_text(mine + "/inside", "kept");
    EXPECT_EQ(config_startup(mine.c_str(), nullptr), 1);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);
    proper_set(GRID_SIZE, 300, 0);
    EXPECT_TRUE(std::filesystem::is_directory(mine));
    EXPECT_EQ(tn_test::read_text(mine + "/inside"), "kept");
}

// A settings file the program made itself is read at the next start: the
// first key written brings DIR_PROJECT along, once, and only into a file
// that lacks it; run-time values write nothing at all.
TEST_F(ConfigTest, TheFirstSettingWrittenMakesTheFileOneTheNextStartReads) {
    proper_set(AUTOPAN, 1, 0);
    EXPECT_EQ(ini_text(), "");
    proper_set(GRID_SIZE, 250, 0);
    proper_set(STAY_GRID, 0, 0);
    const std::string text = ini_text();
    EXPECT_EQ(text, "[TESSARON]\nDIR_PROJECT=..\\demo\nGRID_SIZE=250\nSTAY_GRID=False\n");
    config_set_defaults();
    config_find_ini(nullptr);
    ASSERT_EQ(ini_found, 1);
    config_load_all();
    EXPECT_EQ(proper_get(GRID_SIZE), 250);

    // A file of an older run without the key gets it, keeping what it held.
    write_ini("GRID_SIZE=500\n");
    ini_found = 0;
    proper_set(STAY_GRID, 1, 0);
    EXPECT_EQ(ini_text(), "[TESSARON]\nGRID_SIZE=500\nDIR_PROJECT=..\\demo\nSTAY_GRID=True\n");
}

TEST_F(ConfigTest, CountWithFewerElementsKeepsTheCount) {
    write_ini("NB_LIB=3\nTHE_LIB_0=first\nTHE_LIB_2=third\n");
    reload();
    EXPECT_EQ(proper_get(NB_LIB), 3);
    EXPECT_STREQ(strproper_get(THE_LIB, 0), "first");
    EXPECT_STREQ(strproper_get(THE_LIB, 1), "");
    EXPECT_STREQ(strproper_get(THE_LIB, 2), "third");  // an absent element ends no walk
}

TEST_F(ConfigTest, CountsLargerThanTheirListsAreClamped) {
    std::string body =
        "NB_LIB=1000\nNB_PROJ=-4\nNB_PART_PALETTE=50\nNB_FIELD_NAME=999\n"
        "NB_SYSTEM_FONTS=2000000000\n";
    for (int i = 0; i < 300; ++i)
        body += "THE_LIB_" + std::to_string(i) + "=lib" + std::to_string(i) + "\n";
    for (int i = 0; i < 25; ++i) {
        body += "PART_PALETTE_LIB_" + std::to_string(i) + "=l\n";
        body += "PART_PALETTE_PART_" + std::to_string(i) + "=p\n";
        body += "PART_PALETTE_CONV_" + std::to_string(i) + "=True\n";
    }
    write_ini(body);
    reload();
    EXPECT_EQ(proper_get(NB_LIB), 256);
    EXPECT_EQ(proper_get(NB_PROJ), 0);
    EXPECT_EQ(proper_get(NB_PART_PALETTE), 20);
    EXPECT_EQ(proper_get(NB_FIELD_NAME), 256);
    EXPECT_EQ(proper_get(NB_SYSTEM_FONTS), 100);
    EXPECT_STREQ(strproper_get(THE_LIB, 255), "lib255");
    EXPECT_EQ(proper_get(PART_PALETTE_CONV, 19), 1);
    EXPECT_NE(warnings.find("get_config_value :Property 393 unknow"), std::string::npos);
}

TEST_F(ConfigTest, EveryElementOfAListLoadsOnItsOwn) {
    write_ini(
        "BOM_FIELDS_0=True\nBOM_FIELDS_1=True\nBOM_FIELDS_3=True\nERC_TABLE_288=1\n"
        "SIZE_SHEETH_10=5\nCOLOR_PARTFIELD_2=RGB( 1, 1, 1)\n");
    reload();
    EXPECT_EQ(proper_get(BOM_FIELDS, 1), 1);
    EXPECT_EQ(proper_get(BOM_FIELDS, 2), 0);
    EXPECT_EQ(proper_get(BOM_FIELDS, 3), 1);
    EXPECT_EQ(proper_get(ERC_TABLE, 288), 1);  // every ERC cell loads on its own
    EXPECT_EQ(proper_get(SIZE_SHEETH, 10), 5);
    EXPECT_EQ(proper_get(COLOR_PARTFIELD, 2), 0x010101);
}

// Every indexed setting as the dialogs store it (user field names from
// slot 2 on, one palette entry, one library folder of several, ...) in one
// run of the program, found again by the next run: a new process that
// starts from the defaults and reads the file.
struct Indexed {
    int id, index;  // index -1: a plain setting
    int32_t value;
    const char* text;  // a text's (value unused)
};
const Indexed indexed_settings[] = {
    {NB_FIELD_NAME, -1, 5, nullptr},    {FIELD_NAME, 2, 0, "Manufacturer"},
    {FIELD_NAME, 3, 0, "Order Code"},   {FIELD_NAME, 4, 0, "Tolerance"},
    {VISIBLE_FIELDS, 3, 0, nullptr},    {PRINT_VIS_FIELDS, 4, 0, nullptr},
    {ANNOTATE_FIELDS, 2, 1, nullptr},   {BOM_FIELDS, 4, 1, nullptr},
    {NB_LIB, -1, 3, nullptr},           {THE_LIB, 0, 0, "/libs/a"},
    {THE_LIB, 2, 0, "/libs/c"},         {NB_PROJ, -1, 2, nullptr},
    {THE_PROJ, 1, 0, "/work/b"},        {NB_PART_PALETTE, -1, 2, nullptr},
    {PART_PALETTE_LIB, 1, 0, "parts"},  {PART_PALETTE_PART, 1, 0, "RES"},
    {PART_PALETTE_CONV, 1, 1, nullptr}, {COLOR_PARTFIELD, 1, 0x123456, nullptr},
    {PARTFIELD_WIDTH, 2, 75, nullptr},  {SIZE_SHEETW, 4, 50000, nullptr},
    {ERC_TABLE, 40, 2, nullptr},        {FILE3, -1, 0, "/work/three.sch"},
    {LIB2, -1, 0, "/libs/two.clb"},     {TPL5, -1, 0, "/tpl/five.tbl"},
};

void store_indexed_settings() {
    for (const Indexed& s : indexed_settings) {
        if (s.index < 0 && s.text) proper_set(s.id, s.text, 0);
        if (s.index < 0 && !s.text) proper_set(s.id, s.value, 0);
        if (s.index >= 0 && s.text) proper_set(s.id, s.index, s.text, 0);
        if (s.index >= 0 && !s.text) proper_set(s.id, s.index, s.value, 0);
    }
}

void expect_indexed_settings() {
    for (const Indexed& s : indexed_settings) {
        if (s.text)
            EXPECT_STREQ(s.index < 0 ? strproper_get(s.id) : strproper_get(s.id, s.index), s.text);
        else
            EXPECT_EQ(s.index < 0 ? proper_get(s.id) : proper_get(s.id, s.index), s.value)
                << s.id << "_" << s.index;
    }
    EXPECT_EQ(proper_get(VISIBLE_FIELDS, 2), 1) << "an element not stored keeps its default";
}

// One run of the program in a child process: it starts on `conf` (none:
// the settings file of the configuration directory), stores the settings
// and ends. True when it ended well.
bool run_that_stores(const char* conf) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        config_set_defaults();
        config_startup(conf, nullptr);
        store_indexed_settings();
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = -1;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST_F(ConfigTest, IndexedSettingsComeBackAtTheNextStart) {
    // From empty settings in the configuration directory.
    const std::string home = dir.file("config");
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", home.c_str(), 1), 0);
    set_config_ini_name(nullptr);
    ASSERT_TRUE(run_that_stores(nullptr));
    config_set_defaults();
    ASSERT_EQ(config_startup(nullptr, nullptr), 0);
    expect_indexed_settings();
    unsetenv("XDG_CONFIG_HOME");

    // From a file named with -conf that does not exist yet.
    const std::string conf = dir.file("mine.ini");
    ASSERT_TRUE(run_that_stores(conf.c_str()));
    config_set_defaults();
    ASSERT_EQ(config_startup(conf.c_str(), nullptr), 0);
    expect_indexed_settings();
    EXPECT_NE(tn_test::read_text(conf).find("FIELD_NAME_4=Tolerance"), std::string::npos);
}

TEST_F(ConfigTest, GetConfigValueRereadsOneValue) {
    write_ini("PRINT_VIS_FIELDS_4=False\nPLACE_VPOWER=False\n");
    EXPECT_EQ(get_config_value(PRINT_VIS_FIELDS, 4), 1);
    EXPECT_EQ(get_config_value(PLACE_VPOWER), 1);
    EXPECT_EQ(get_config_value(PLACE_CONVERTED), 0);
    EXPECT_EQ(proper_get(PRINT_VIS_FIELDS, 4), 0);
    EXPECT_EQ(proper_get(PLACE_VPOWER), 0);
    EXPECT_EQ(get_config_value(static_cast<int>(ReservedProperty::FONT_ESCAPE)), 0);
    EXPECT_NE(warnings.find("get_config_value :Property 349 unknow"), std::string::npos);
}

// --- fonts -----------------------------------------------------------------------------

Font* make_font(int number, const char* face, int size = 100) {
    Font* f = new_Font();
    f->number = number;
    f->size = size;
    f->height = -13;
    f->weight = 400;
    f->char_set = 255;
    f->pitch_and_family = 0x22;
    font_set_face(f, face);
    return f;
}

TEST(ConfigFontForm, WritesAndParsesEveryField) {
    Font* f = make_font(3, "Times New Roman");
    f->escapement = 900;
    f->italic = 1;
    std::string text = config_format_font(f);
    EXPECT_EQ(text,
              "FONT( 13, 100, -13, 0, 900, 0, 400, 1, 0, 0, -1, 0, 0, 0, 34, 'Times New Roman' )");
    Font* back = config_parse_font(text.c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->number, 3);
    EXPECT_EQ(back->state, 1u);
    EXPECT_EQ(back->height, -13);
    EXPECT_EQ(back->escapement, 900);
    EXPECT_EQ(back->char_set, 255);
    EXPECT_EQ(back->pitch_and_family, 0x22);
    EXPECT_STREQ(back->face_name, "Times New Roman");  // blanks in a face name are kept
    EXPECT_TRUE(font_equal(f, back, true));
    free_Font(f);
    free_Font(back);
}

TEST(ConfigFontForm, RejectsShortFormsAndCutsLongFaces) {
    EXPECT_EQ(config_parse_font("FONT( 13, 100, -13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 'Arial' )"),
              nullptr);
    EXPECT_EQ(config_parse_font("garbage"), nullptr);
    Font* f = config_parse_font(("FONT( 13, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, '" +
                                 std::string(50, 'F') + "' )")
                                    .c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string(f->face_name), std::string(31, 'F'));
    free_Font(f);
    Font* g = config_parse_font("FONT( 13, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 'Arial");
    ASSERT_NE(g, nullptr);  // a value cut before the closing quote keeps its first word
    EXPECT_STREQ(g->face_name, "Arial");
    free_Font(g);
    // The extreme font id of a damaged file never overflows and writes back the same.
    const char* extreme = "FONT( -2147483648, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 'A' )";
    Font* h = config_parse_font(extreme);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(config_format_font(h), extreme);
    EXPECT_FALSE(is_config_font(h));
    free_Font(h);
}

TEST_F(ConfigTest, SystemFontsOfNoFontPropertyAreNotSaved) {
    List* fonts = list_new();
    dlist_append(fonts, make_font(1, "Arial"));
    proper_set(SYSTEM_FONT, fonts, 0);
    EXPECT_EQ(ini_text().find("SYSTEM_FONT_"), std::string::npos);
    EXPECT_NE(ini_text().find("NB_SYSTEM_FONTS=0"), std::string::npos);
    font_table_remove(&fonts, 1);
    EXPECT_EQ(fonts, nullptr);
}

TEST_F(ConfigTest, SystemFontsRoundTrip) {
    proper_set(FONT_LABEL, 11, FONT_TITLE, 12, 0);
    List* fonts = list_new();
    dlist_append(fonts, make_font(1, "Arial"));
    dlist_append(fonts, make_font(5, "Unused"));
    dlist_append(fonts, make_font(2, "Times New Roman", 120));
    tn_test::write_text(ini, tn_test::read_text(ini) + "SYSTEM_FONT_7=stale\n");
    proper_set(SYSTEM_FONT, fonts, 0);
    std::string text = ini_text();
    EXPECT_EQ(text.find("SYSTEM_FONT_7"), std::string::npos);  // old keys are deleted first
    EXPECT_NE(text.find("SYSTEM_FONT_0=FONT( 11,"), std::string::npos);
    EXPECT_NE(text.find("SYSTEM_FONT_1=FONT( 12, 120,"), std::string::npos);
    EXPECT_NE(text.find("NB_SYSTEM_FONTS=2"), std::string::npos);
    font_table_remove(&fonts, 1);
    font_table_remove(&fonts, 2);
    font_table_remove(&fonts, 5);

    reload();
    ASSERT_NE(system_fonts, nullptr);
    ASSERT_EQ(system_fonts->count, 2u);
    auto* first = static_cast<Font*>(system_fonts->head->data);
    auto* second = static_cast<Font*>(system_fonts->tail->data);
    EXPECT_EQ(first->number, 1);
    EXPECT_STREQ(second->face_name, "Times New Roman");
    EXPECT_EQ(get_config_value(SYSTEM_FONT), 1);  // rebuilds the list
    EXPECT_EQ(system_fonts->count, 2u);
}

TEST_F(ConfigTest, EqualFontsLoadOnceUnlessAFontPropertyUsesThem) {
    const char* same = "100, -13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, 'Arial' )";
    write_ini(std::string("FONT_LABEL=11\nNB_SYSTEM_FONTS=5\n") + "SYSTEM_FONT_0=FONT( 15, " +
              same + "\nSYSTEM_FONT_1=FONT( 16, " + same + "\nSYSTEM_FONT_2=FONT( 11, " + same +
              "\nSYSTEM_FONT_3=not a font\n");
    reload();
    ASSERT_NE(system_fonts, nullptr);
    ASSERT_EQ(system_fonts->count, 2u);  // 16 dropped as equal to 15; 11 kept for FONT_LABEL
    EXPECT_EQ(static_cast<Font*>(system_fonts->tail->data)->number, 1);
}

TEST_F(ConfigTest, ConfigFontsAreThoseTheFontPropertiesUse) {
    Font* f = make_font(4, "Arial");
    EXPECT_FALSE(is_config_font(f));
    proper_set(FONT_PARTPAL, 14, 0);
    EXPECT_TRUE(is_config_font(f));
    EXPECT_FALSE(font_list_has(nullptr, f));
    free_Font(f);
}

TEST_F(ConfigTest, FreeReleasesListTexts) {
    proper_set(FIELD_NAME, 3, "x", LIBS, 99, "y", 0);
    config_free();
    EXPECT_STREQ(strproper_get(FIELD_NAME, 3), "");
    EXPECT_STREQ(strproper_get(THE_LIB, 0), "");
    EXPECT_EQ(system_fonts, nullptr);
}

}  // namespace

// What Cancel of a settings dialog relies on: every kind comes back as it
// was, list slots included (an emptied slot and a changed one), the live
// values set meanwhile never reach the INI file, and a snapshot of some
// properties leaves the others alone.
TEST_F(ConfigTest, SnapshotsPutValuesBackWithoutTouchingTheIni) {
    proper_set(GRID_STYLE, 1, ZOOM_CUT, 2.0, DIR_PROJECT, "/designs", FIELD_NAME, 2, "Tolerance",
               COLOR_PARTFIELD, 1, 0x00FF00, NB_FIELD_NAME, 3, 0);
    const std::string written = ini_text();
    {
        PropertySnapshot snapshot;
        proper_set_live(GRID_STYLE, 0, ZOOM_CUT, 64.0, DIR_PROJECT, "/elsewhere", FIELD_NAME, 2,
                        "Power", FIELD_NAME, 3, "New", COLOR_PARTFIELD, 1, 0x0000FF, NB_FIELD_NAME,
                        4, 0);
        EXPECT_EQ(ini_text(), written) << "a live value reached the INI file";
        snapshot.restore();
    }
    EXPECT_EQ(proper_get(GRID_STYLE), 1);
    EXPECT_EQ(fproper_get(ZOOM_CUT), 2.0);
    EXPECT_STREQ(strproper_get(DIR_PROJECT), "/designs");
    EXPECT_STREQ(strproper_get(FIELD_NAME, 2), "Tolerance");
    EXPECT_STREQ(strproper_get(FIELD_NAME, 3), "");
    EXPECT_EQ(proper_get(COLOR_PARTFIELD, 1), 0x00FF00);
    EXPECT_EQ(proper_get(NB_FIELD_NAME), 3);
    EXPECT_EQ(ini_text(), written);

    PropertySnapshot some({GRID_STYLE});
    proper_set_live(GRID_STYLE, 0, SHOW_GRID, 0, 0);
    some.restore();
    EXPECT_EQ(proper_get(GRID_STYLE), 1);
    EXPECT_EQ(proper_get(SHOW_GRID), 0) << "a property outside the snapshot came back";
}
