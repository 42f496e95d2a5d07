// The property catalogue, the defaults, the getters and the setter.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "foundation/config_fixture.h"
#include "foundation/properties.h"

namespace {

// --- catalogue --------------------------------------------------------------

struct CatalogueRow {
    int id;
    const char* key;
    PropKind kind;
    int size;
    bool stored;
};

class Catalogue : public ::testing::TestWithParam<CatalogueRow> {};

TEST_P(Catalogue, RowMatches) {
    const CatalogueRow& row = GetParam();
    const PropertyInfo& info = property_info(row.id);
    EXPECT_STREQ(info.key, row.key);
    EXPECT_EQ(info.kind, row.kind);
    if (row.size) {
        EXPECT_EQ(info.size, row.size);
    }
    EXPECT_EQ(info.stored, row.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, Catalogue,
    ::testing::Values(CatalogueRow{0, "na", PropKind::NONE, 0, false},
                      CatalogueRow{1, "GRID_SIZE", PropKind::INT, 0, true},
                      CatalogueRow{2, "BAK_FILE", PropKind::BYTE, 0, true},
                      CatalogueRow{4, "ADDCR_REPORTS", PropKind::FLAG, 0, true},
                      CatalogueRow{13, "ZOOM_CUT", PropKind::DOUBLE, 0, true},
                      CatalogueRow{33, "SHOW_POWER", PropKind::FLAG, 0, false},
                      CatalogueRow{34, "DIR_CONFIG", PropKind::TEXT, 128, true},
                      CatalogueRow{36, "TEMPLATE_REV_CODE", PropKind::TEXT, 32, true},
                      CatalogueRow{68, "SIZE_SHEETW", PropKind::INT_LIST, 11, true},
                      CatalogueRow{85, "SIZE_YBORDERW", PropKind::NONE, 0, false},
                      CatalogueRow{91, "PART_PALETTE_LIB", PropKind::TEXT_LIST, 20, true},
                      CatalogueRow{99, "PART_PALETTE_CONV", PropKind::FLAG_LIST, 20, true},
                      CatalogueRow{128, "ERC_TABLE", PropKind::BYTE_LIST, 289, true},
                      CatalogueRow{131, "BACK_OUTFILE", PropKind::TEXT, 4096, false},
                      CatalogueRow{165, "VISIBLE_IEEE", PropKind::FLAG, 0, true},
                      CatalogueRow{238, "VISIBLE_IEEE", PropKind::NONE, 0, false},
                      CatalogueRow{274, "LOGPRINT_VERSION", PropKind::WORD, 0, true},
                      CatalogueRow{348, "SYSTEM_FONT", PropKind::FONT_LIST, 0, true},
                      CatalogueRow{361, "FONT_POINT_SIZE", PropKind::NONE, 0, false},
                      CatalogueRow{375, "PARTFIELD_WIDTH", PropKind::INT_LIST, 3, true},
                      CatalogueRow{391, "LIBS", PropKind::TEXT_LIST, 100, false},
                      CatalogueRow{393, "THE_LIB", PropKind::TEXT_LIST, 256, true},
                      CatalogueRow{402, "COLOR_SHEETFILE", PropKind::COLOUR, 0, true},
                      CatalogueRow{424, "COLOR_PARTFIELD", PropKind::COLOUR_LIST, 3, true}));

TEST(CatalogueTable, RunTimeOnlyAndReservedCounts) {
    config_init_keys();
    int run_time = 0, reserved = 0;
    std::set<std::string> keys;
    for (int id = 1; id <= PROPERTY_COUNT; ++id) {
        const PropertyInfo& info = property_info(id);
        if (std::strcmp(info.key, "na") == 0) continue;  // numbers no property has
        if (!info.stored) ++run_time;
        if (info.kind == PropKind::NONE) ++reserved;
        EXPECT_EQ(proper_keys[id].section != nullptr, info.stored) << id;
        if (id != 238) {
            EXPECT_TRUE(keys.insert(info.key).second) << info.key;
        }
    }
    EXPECT_EQ(run_time, 47);
    EXPECT_EQ(reserved, 22);
    EXPECT_STREQ(proper_keys[0].key, "na");
    EXPECT_STREQ(proper_keys[GRID_SIZE].section, "TESSARON");
}

TEST(CatalogueTable, ErcMatrixIsSymmetric) {
    for (int a = 0; a < 17; ++a)
        for (int b = 0; b < 17; ++b)
            EXPECT_EQ(default_erc_matrix[a * 17 + b], default_erc_matrix[b * 17 + a])
                << a << "," << b;
}

// --- defaults -----------------------------------------------------------------

struct IntDefault {
    int id;
    int index;
    int32_t value;
};

class IntDefaults : public ConfigTest, public ::testing::WithParamInterface<IntDefault> {};

TEST_P(IntDefaults, Value) {
    EXPECT_EQ(proper_get(GetParam().id, GetParam().index), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, IntDefaults,
    ::testing::Values(IntDefault{GRID_SIZE, -1, 1000}, IntDefault{BAK_FILE, -1, 1},
                      IntDefault{CURSOR, -1, 2}, IntDefault{EDIT_MODE, -1, 0x40000000},
                      IntDefault{LAST_WIDTH, -1, -1}, IntDefault{WIDTH_JUNCTION, -1, 400},
                      IntDefault{PARTPAL_SIZE, 5, 80}, IntDefault{FONT_LABEL, -1, 0},
                      IntDefault{FAST_LOAD, -1, 1}, IntDefault{LOCAL_PINNAME_VISIBLE, -1, 1},
                      IntDefault{NB_LIB, -1, 1}, IntDefault{NB_PROJ, -1, 1},
                      IntDefault{NB_STDLIB, -1, 0}, IntDefault{TPL_TEXT_ORIENT, -1, 7},
                      IntDefault{NETPROP_ISOLATION, -1, 80}, IntDefault{MIN_SHEETH, -1, 8000},
                      IntDefault{SIZE_SHEETW, 0, 9700}, IntDefault{SIZE_SHEETH, 0, 7200},
                      IntDefault{SIZE_SHEETW, 4, 42200}, IntDefault{SIZE_SHEETH, 4, 32200},
                      IntDefault{SIZE_SHEETW, 8, 32200}, IntDefault{SIZE_SHEETH, 10, 7200},
                      IntDefault{ERC_TABLE, 2 * 17 + 2, 2}, IntDefault{ERC_TABLE, 0 * 17 + 16, 1},
                      IntDefault{ERC_TABLE, 16 * 17 + 0, 1}, IntDefault{ERC_TABLE, 7 * 17 + 7, 0},
                      IntDefault{ERC_TABLE, 9 * 17 + 14, 2}, IntDefault{ERC_TABLE, 4 * 17 + 2, 0},
                      IntDefault{PARTFIELD_WIDTH, 0, 60}, IntDefault{PARTFIELD_WIDTH, 2, 60},
                      IntDefault{COLOR_PARTFIELD, 0, 1}, IntDefault{COLOR_PARTFIELD, 2, 3},
                      IntDefault{COLOR_SHEETFILE, -1, 4}, IntDefault{COLOR_BORDER, -1, 7},
                      IntDefault{COLOR_FILM, -1, 9}, IntDefault{VISIBLE_FIELDS, 255, 1},
                      IntDefault{PRINT_VIS_FIELDS, 0, 1}, IntDefault{BOM_FIELDS, 7, 0},
                      IntDefault{PART_PALETTE_CONV, 19, 0}, IntDefault{VISIBLE_IEEE, -1, 1}));

TEST_F(ConfigTest, TextAndDoubleDefaults) {
    EXPECT_STREQ(strproper_get(DIR_PROJECT), "..\\demo");
    EXPECT_STREQ(strproper_get(DIR_LIBRARY), ".\\library");
    EXPECT_STREQ(strproper_get(DIR_CONFIG), "./design/libs");
    EXPECT_STREQ(strproper_get(NETFMT_FORMAT), "PELMORAN");
    EXPECT_STREQ(strproper_get(LOGFILE), "tessaron.log");
    EXPECT_STREQ(strproper_get(TEMPLATE_USR1), "      ");
    EXPECT_STREQ(strproper_get(TEMPLATE_CREAT_DATE), "01-Jan-1994");
    EXPECT_STREQ(strproper_get(EXT_CLB), ".clb");
    EXPECT_STREQ(strproper_get(TEXT_TEXT), "");
    EXPECT_STREQ(strproper_get(THE_LIB, 0), ".\\library");
    EXPECT_STREQ(strproper_get(THE_PROJ, 0), "..\\demo");
    EXPECT_STREQ(strproper_get(THE_LIB, 1), "");  // an empty slot reads as an empty text
    EXPECT_STREQ(strproper_get(FIELD_NAME, 0), "");
    EXPECT_DOUBLE_EQ(fproper_get(ZOOM_CUT), 0.5);
    EXPECT_DOUBLE_EQ(fproper_get(ASPECT_RATIO), 1.5);
    EXPECT_DOUBLE_EQ(fproper_get(PVIS_SCAL), 1.0);
    EXPECT_EQ(system_fonts, nullptr);
    EXPECT_EQ(ini_text(), "");  // setting the defaults never touches the INI file
    EXPECT_EQ(config_write_flag, 1);
}

// --- getters on ids without a value ----------------------------------------------

TEST_F(ConfigTest, GettersOfUnknownIdsWarnAndGiveNothing) {
    EXPECT_EQ(proper_get(static_cast<int>(ReservedProperty::SIZE_YBORDERW)), 0);
    EXPECT_EQ(proper_get(9999), 0);
    EXPECT_EQ(proper_get(DIR_PROJECT), 0);
    EXPECT_EQ(strproper_get(GRID_SIZE), nullptr);
    EXPECT_EQ(fproper_get(GRID_SIZE), 0.0);
    EXPECT_NE(warnings.find("proper_get :Property 85 unknow"), std::string::npos);
    EXPECT_NE(warnings.find("proper_get :Property 9999 unknow"), std::string::npos);
    EXPECT_NE(warnings.find("strproper_get :Property 1 unknow"), std::string::npos);
    EXPECT_NE(warnings.find("fproper_get :Property 1 unknow"), std::string::npos);
    warnings.clear();
    EXPECT_EQ(proper_get(SYSTEM_FONT), 0);
    EXPECT_EQ(warnings, "");
}

TEST_F(ConfigTest, ListIndexesOutsideTheListNeverReachASlot) {
    EXPECT_EQ(proper_get(ERC_TABLE, 289), 0);
    EXPECT_EQ(proper_get(ERC_TABLE, -1), 0);
    EXPECT_EQ(proper_get(COLOR_PARTFIELD, 3), 0);
    EXPECT_EQ(strproper_get(THE_LIB, 256), nullptr);
    EXPECT_EQ(strproper_get(LIBS, -1), nullptr);
    proper_set(PART_PALETTE_LIB, 20, "x", GRID_SIZE, 5, 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);  // the call stopped at the bad index
    proper_set(ERC_TABLE, -1, 2, 0);
    EXPECT_EQ(get_config_value(THE_PROJ, 256), 0);
    EXPECT_EQ(get_config_value(THE_PROJ, -1), 0);
    EXPECT_NE(warnings.find("proper_set :Property 91"), std::string::npos);
    EXPECT_EQ(ini_text(), "");
}

// --- setter -------------------------------------------------------------------------

TEST_F(ConfigTest, SetterStopsAtAnUnknownId) {
    proper_set(BAK_FILE, 0, 0);
    warnings.clear();
    proper_set(1, 1000, 9999, 5, 2, 1, 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);
    EXPECT_EQ(proper_get(BAK_FILE), 0);
    EXPECT_NE(warnings.find("proper_set :Property 9999 unknow\n"), std::string::npos);
    proper_set(ReservedProperty::FONT_WEIGHT, 3, GRID_SIZE, 7, 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);
}

TEST_F(ConfigTest, SetterRefusesAValueOfTheWrongType) {
    proper_set(GRID_SIZE, "10", BAK_FILE, 0, 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);
    EXPECT_EQ(proper_get(BAK_FILE), 1);
    proper_set(POWER_NAME, 5, 0);
    EXPECT_STREQ(strproper_get(POWER_NAME), "Vcc");
    proper_set(GRID_SIZE, 2.5, 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);
    proper_set(SYSTEM_FONT, 1, 0);
    proper_set(GRID_SIZE);  // no value at all
    proper_set("GRID_SIZE", 5, 0);
    EXPECT_EQ(proper_get(GRID_SIZE), 1000);
    EXPECT_NE(warnings.find("proper_set :Property 1 wrong value"), std::string::npos);
    // An integer may stand for a double; a missing end mark ends the call too.
    proper_set(ZOOM_CUT, 2);
    EXPECT_DOUBLE_EQ(fproper_get(ZOOM_CUT), 2.0);
}

TEST_F(ConfigTest, SetterKeepsValuesToTheirWidth) {
    proper_set(POWER_TYPE, 0xC8, LOGPRINT_COPIES, 70000, STAY_GRID, 2, ERC_TABLE, 5, 0x1FF,
               COLOR_WIRE, 0xFFFFFFFFu, 0);
    EXPECT_EQ(proper_get(POWER_TYPE), -56);
    EXPECT_EQ(proper_get(LOGPRINT_COPIES), 4464);
    EXPECT_EQ(proper_get(STAY_GRID), 2);
    EXPECT_EQ(proper_get(ERC_TABLE, 5), 255);
    EXPECT_EQ(proper_get(COLOR_WIRE), -1);
    std::string long_text(200, 'n');
    proper_set(POWER_NAME, long_text, TEMPLATE_TITLE, long_text, 0);
    EXPECT_EQ(std::string(strproper_get(POWER_NAME)), std::string(31, 'n'));
    EXPECT_EQ(std::string(strproper_get(TEMPLATE_TITLE)), std::string(127, 'n'));
    proper_set(PORT_NAME, nullptr, 0);
    EXPECT_STREQ(strproper_get(PORT_NAME), "");
}

TEST_F(ConfigTest, WriteFlagOffChangesTheValueOnly) {
    config_write_flag = 0;
    proper_set(GRID_SIZE, 50, THE_LIB, 1, "libs2", ZOOM_CUT, 0.25, 0);
    config_write_flag = 1;
    EXPECT_EQ(proper_get(GRID_SIZE), 50);
    EXPECT_STREQ(strproper_get(THE_LIB, 1), "libs2");
    EXPECT_EQ(ini_text(), "");
}

TEST_F(ConfigTest, RunTimeOnlyPropertiesNeverReachTheFile) {
    proper_set(AUTOPAN, 1, BOM_OUTFILE, "out.bom", LIBS, 0, "std.clb", NB_STDLIB, 1, 0);
    EXPECT_EQ(proper_get(AUTOPAN), 1);
    EXPECT_STREQ(strproper_get(BOM_OUTFILE), "out.bom");
    EXPECT_STREQ(strproper_get(LIBS, 0), "std.clb");
    EXPECT_EQ(ini_text(), "");
    write_ini("AUTOPAN=True\nBOM_OUTFILE=x\n");
    EXPECT_EQ(get_config_value(AUTOPAN), 0);
    EXPECT_EQ(config_read_value(ini.c_str(), BOM_OUTFILE, -1), nullptr);
}

}  // namespace
