#include <gtest/gtest.h>

#include <string>

#include "foundation/properties.h"
#include "render/printer_settings.h"
#include "render/render_fixture.h"
#include "toolkit/wx_test_env.h"

namespace render_test {
namespace {

class PrinterSettingsTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        reset_session_print_data();
    }
    void TearDown() override {
        reset_session_print_data();
        RenderTest::TearDown();
    }
};

TEST_F(PrinterSettingsTest, AConfigurationWithoutPrinterFieldsKeepsTheDefaultsAndPrintsBlack) {
    proper_set(LOGPRINT_ORIENT, 2, LOGPRINT_PAPERS, 8, 0);  // no field bit: ignored
    const wxPrintData data = print_data_from_properties();
    EXPECT_EQ(data.GetOrientation(), wxPORTRAIT);
    EXPECT_NE(data.GetPaperId(), wxPAPER_A3);
    EXPECT_FALSE(data.GetColour());
    // An unknown paper falls back to an A4 page.
    wxPrintData none;
    none.SetPaperId(wxPAPER_NONE);
    none.SetPaperSize(wxSize(-1, -1));
    EXPECT_EQ(print_data_page_mm(none), wxSize(210, 297));
}

TEST_F(PrinterSettingsTest, StoredFieldsBecomeTheFrameworksSettingsWithTheirOwnNumbering) {
    proper_set(LOGPRINT_FIELD, 0xFFFF, LOGPRINT_ORIENT, 2, LOGPRINT_PAPERS, 8 /* A3 */,
               LOGPRINT_COPIES, 3, LOGPRINT_QUALITY, -1 /* draft */, LOGPRINT_DUPLEX,
               3 /* horizontal */, LOGPRINT_COLLATE, 1, LOGPRINT_COLOR, 2, LOGPRINT_DEFAULT, 4,
               DEVNAMES_DEVICE, "Plotter", 0);
    const wxPrintData data = print_data_from_properties();
    EXPECT_EQ(data.GetOrientation(), wxLANDSCAPE);
    EXPECT_EQ(data.GetPaperId(), wxPAPER_A3);
    EXPECT_EQ(data.GetNoCopies(), 3);
    EXPECT_EQ(data.GetQuality(), wxPRINT_QUALITY_DRAFT);
    EXPECT_EQ(data.GetDuplex(), wxDUPLEX_HORIZONTAL);
    EXPECT_TRUE(data.GetCollate());
    EXPECT_TRUE(data.GetColour());
    EXPECT_EQ(data.GetBin(), wxPRINTBIN_MANUAL);
    EXPECT_EQ(data.GetPrinterName(), "Plotter");
    // A3 turned on its side.
    EXPECT_EQ(print_data_page_mm(data), wxSize(420, 297));
}

TEST_F(PrinterSettingsTest, APaperOfItsOwnSizeIsReadInTenthsOfAMillimetre) {
    proper_set(LOGPRINT_FIELD, PRINTER_FIELD_PAPER_LENGTH | PRINTER_FIELD_PAPER_WIDTH,
               LOGPRINT_PAPERW, 1500, LOGPRINT_PAPERL, 2500, 0);
    const wxPrintData data = print_data_from_properties();
    EXPECT_EQ(data.GetPaperId(), wxPAPER_NONE);
    EXPECT_EQ(print_data_page_mm(data), wxSize(150, 250));
}

TEST_F(PrinterSettingsTest, SettingsSurviveTheRoundTripAndLongPrinterNamesAreCut) {
    wxPrintData data;
    data.SetOrientation(wxLANDSCAPE);
    data.SetPaperId(wxPAPER_LETTER);
    data.SetNoCopies(2);
    data.SetQuality(wxPRINT_QUALITY_HIGH);
    data.SetDuplex(wxDUPLEX_VERTICAL);
    data.SetCollate(false);
    data.SetColour(false);
    const std::string name(200, 'p');
    data.SetPrinterName(wxString(name));
    print_data_to_properties(data);
    EXPECT_EQ(proper_get(LOGPRINT_PAPERS), 1);
    EXPECT_EQ(proper_get(LOGPRINT_ORIENT), 2);
    EXPECT_EQ(proper_get(LOGPRINT_QUALITY), -4);
    EXPECT_EQ(proper_get(LOGPRINT_COLOR), 1);
    EXPECT_EQ(proper_get(LOGPRINT_PAPERW), 2150);  // 215.9 mm
    EXPECT_EQ(std::string(strproper_get(LOGPRINT_DEVICE_NAME)), name.substr(0, 31));
    EXPECT_EQ(std::string(strproper_get(DEVNAMES_DEVICE)), name.substr(0, 127));

    const wxPrintData back = print_data_from_properties();
    EXPECT_EQ(back.GetOrientation(), wxLANDSCAPE);
    EXPECT_EQ(back.GetPaperId(), wxPAPER_LETTER);
    EXPECT_EQ(back.GetNoCopies(), 2);
    EXPECT_EQ(back.GetQuality(), wxPRINT_QUALITY_HIGH);
    EXPECT_EQ(back.GetDuplex(), wxDUPLEX_VERTICAL);
    EXPECT_FALSE(back.GetCollate());
}

TEST_F(PrinterSettingsTest, TheSessionKeepsOneSetThatChangesStoreInTheProperties) {
    proper_set(LOGPRINT_FIELD, PRINTER_FIELD_ORIENTATION, LOGPRINT_ORIENT, 1, 0);
    EXPECT_EQ(session_print_data().GetOrientation(), wxPORTRAIT);
    // Later property changes do not reach a session that already has its settings.
    proper_set(LOGPRINT_ORIENT, 2, 0);
    EXPECT_EQ(session_print_data().GetOrientation(), wxPORTRAIT);
    wxPrintData landscape = session_print_data();
    landscape.SetOrientation(wxLANDSCAPE);
    landscape.SetPaperId(wxPAPER_A5);
    set_session_print_data(landscape);
    EXPECT_EQ(session_print_data().GetPaperId(), wxPAPER_A5);
    EXPECT_EQ(proper_get(LOGPRINT_PAPERS), 11);
    EXPECT_EQ(print_data_page_mm(session_print_data()), wxSize(210, 148));
}

TEST_F(PrinterSettingsTest, PrintSetupStoresWhatTheUserConfirmedAndNothingOnCancel) {
    wxPrintData a5 = session_print_data();
    a5.SetPaperId(wxPAPER_A5);
    session_print_data() = a5;
    {
        tn_test::ModalAnswer cancel([](wxDialog*) { return wxID_CANCEL; });
        EXPECT_FALSE(print_setup(nullptr));
        EXPECT_EQ(cancel.calls, 1);
    }
    EXPECT_EQ(proper_get(LOGPRINT_FIELD), 0);
    tn_test::ModalAnswer confirm([](wxDialog*) { return wxID_OK; });
    EXPECT_TRUE(print_setup(nullptr));
    EXPECT_EQ(proper_get(LOGPRINT_PAPERS), 11);
    EXPECT_NE(proper_get(LOGPRINT_FIELD) & PRINTER_FIELD_PAPER_SIZE, 0);
    EXPECT_EQ(session_print_data().GetPaperId(), wxPAPER_A5);
}

}  // namespace
}  // namespace render_test
