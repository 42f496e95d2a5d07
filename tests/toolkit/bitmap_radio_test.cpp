// The radio box of bitmaps: its cells stand down each column, a hidden
// cell keeps its place but can never be chosen, a click chooses one cell
// and reports it as a radio box does; and the bitmaps drawn for it.
#include "toolkit/bitmap_radio.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/tglbtn.h>

#include "toolkit/enhanced_dialog.h"
#include "toolkit/panel_items.h"
#include "toolkit/wx_test_env.h"

namespace {

const std::vector<std::string> compass = {"norwes", "west",   "souwes", "north", "-north",
                                          "south",  "noreas", "east",   "soueas"};

class BitmapRadio : public testing::Test {
protected:
    void TearDown() override { tn_test::destroy_window(dialog); }
    EnhancedDialog* dialog = new EnhancedDialog(nullptr, "Tessaron: Bitmaps");
};

TEST_F(BitmapRadio, CellsStandDownEachColumnAndTheHiddenCentreKeepsItsPlace) {
    auto* box = new BitmapRadioBox(dialog->UserPanel(), compass, 3);
    ASSERT_EQ(box->GetCount(), 9u);
    EXPECT_TRUE(box->IsCellHidden(4));
    EXPECT_EQ(box->Cell(4), nullptr);
    const wxPoint nw = box->Cell(0)->GetPosition();
    const wxPoint w = box->Cell(1)->GetPosition();
    const wxPoint n = box->Cell(3)->GetPosition();
    const wxPoint s = box->Cell(5)->GetPosition();
    const wxPoint e = box->Cell(7)->GetPosition();
    EXPECT_EQ(w.x, nw.x);  // the west column, downwards
    EXPECT_GT(w.y, nw.y);
    EXPECT_EQ(n.y, nw.y);  // the centre column to its right
    EXPECT_GT(n.x, nw.x);
    EXPECT_GT(s.y - n.y, w.y - nw.y);  // with the hidden centre between north and south
    EXPECT_EQ(e.y, w.y);
    EXPECT_GT(e.x, n.x);

    box->SetSelection(7);
    EXPECT_EQ(control_get_value(box), 7);
    box->SetSelection(4);  // the centre is never chosen
    box->SetSelection(12);
    EXPECT_EQ(box->GetSelection(), 7);
    control_set_value(box, 0);
    EXPECT_EQ(box->GetSelection(), 0);
    EXPECT_TRUE(static_cast<wxBitmapToggleButton*>(box->Cell(0))->GetValue());
    EXPECT_FALSE(static_cast<wxBitmapToggleButton*>(box->Cell(7))->GetValue());
}

TEST_F(BitmapRadio, AClickChoosesItsCellAloneAndIsReported) {
    auto* box = new BitmapRadioBox(dialog->UserPanel(), {"part0", "part1", "part2", "part3"}, 2);
    box->SetSelection(0);
    std::vector<int> reported;
    box->Bind(wxEVT_RADIOBOX, [&](wxCommandEvent& event) { reported.push_back(event.GetInt()); });
    // The toolkit's own report of a toggled cell.
    auto toggle = [&](int index) {
        auto* cell = static_cast<wxBitmapToggleButton*>(box->Cell(index));
        cell->SetValue(!cell->GetValue());
        wxCommandEvent event(wxEVT_TOGGLEBUTTON, cell->GetId());
        event.SetEventObject(cell);
        cell->ProcessWindowEvent(event);
    };
    toggle(3);
    EXPECT_EQ(box->GetSelection(), 3);
    EXPECT_FALSE(static_cast<wxBitmapToggleButton*>(box->Cell(0))->GetValue());
    toggle(3);  // the chosen cell stays chosen
    EXPECT_TRUE(static_cast<wxBitmapToggleButton*>(box->Cell(3))->GetValue());
    EXPECT_EQ(reported, (std::vector<int>{3, 3}));
    // Setting the choice reports nothing.
    box->SetSelection(1);
    EXPECT_EQ(reported.size(), 2u);
}

// The opaque pixels of a bitmap as a text picture, one line per row.
std::string pixels(const wxBitmap& bitmap) {
    wxImage image = bitmap.ConvertToImage();
    std::string out;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x)
            out += image.HasAlpha() && image.GetAlpha(x, y) == 0 ? '.' : '#';
        out += '\n';
    }
    return out;
}

// The turn of a picture by a quarter, as a placed part turns (east goes
// to south).
std::string turned(const std::string& picture, int size) {
    std::string out(picture.size(), '.');
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            out[y * (size + 1) + x] = picture[(size - 1 - x) * (size + 1) + y];
    for (int y = 0; y < size; ++y) out[y * (size + 1) + size] = '\n';
    return out;
}

TEST(NamedBitmaps, EveryNameIsDrawnAndEachDiffers) {
    const char* names[] = {"north", "noreas", "east",  "soueas", "south", "souwes",
                           "west",  "norwes", "part0", "part1",  "part2", "part3"};
    std::vector<std::string> seen;
    for (const char* name : names) {
        const wxBitmap& bitmap = named_bitmap(name);
        ASSERT_TRUE(bitmap.IsOk()) << name;
        std::string picture = pixels(bitmap);
        EXPECT_NE(picture.find('#'), std::string::npos) << name;
        for (const std::string& other : seen) EXPECT_NE(picture, other) << name;
        seen.push_back(picture);
    }
    EXPECT_FALSE(named_bitmap("nowhere").IsOk());
    EXPECT_EQ(&named_bitmap("east"), &named_bitmap("east"));  // drawn once
}

TEST(NamedBitmaps, EachRotationIsTheLastTurnedByAQuarter) {
    const int size = named_bitmap("part0").GetWidth();
    for (int i = 1; i < 4; ++i) {
        std::string before = pixels(named_bitmap("part" + std::to_string(i - 1)));
        std::string now = pixels(named_bitmap("part" + std::to_string(i)));
        // The turn about the picture's centre may move it by a pixel.
        std::string expected = turned(before, size);
        int differing = 0;
        for (size_t k = 0; k < now.size(); ++k) differing += now[k] != expected[k];
        EXPECT_LT(differing, size * 4) << "part" << i << "\n" << now << "\n" << expected;
    }
}

}  // namespace
