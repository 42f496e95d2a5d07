// Printing from the real program: the sheet printed to a PostScript file
// through the print dialog, rasterized with Ghostscript, holds what the
// print preview draws of the same page.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/imagpng.h>

#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "render/printing.h"
#include "shell/program_harness.h"
#include "shell/shell_services.h"

namespace {

using namespace program_test;
namespace fs = std::filesystem;

// The part of a picture that carries ink (darker than mid grey).
struct Ink {
    wxImage image;
    wxRect box;
    bool at(int x, int y) const {
        return x >= 0 && y >= 0 && x < image.GetWidth() && y < image.GetHeight() &&
               image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 3 * 128;
    }
};

Ink ink_of(const wxImage& image) {
    Ink ink{image, {}};
    int x0 = image.GetWidth(), y0 = image.GetHeight(), x1 = -1, y1 = -1;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (ink.at(x, y)) {
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 >= 0) ink.box = wxRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
    return ink;
}

// The share of the preview's ink that the print carries within two pixels,
// the two drawings brought onto each other by the boxes round their ink
// (the printer's margins and the preview's differ).
double printed_share(const wxImage& preview, const wxImage& print) {
    const Ink want = ink_of(preview), got = ink_of(print);
    if (want.box.IsEmpty() || got.box.IsEmpty()) return 0;
    wxImage scaled = want.image.GetSubImage(want.box).Scale(got.box.width, got.box.height,
                                                            wxIMAGE_QUALITY_NEAREST);
    const Ink wanted{scaled, wxRect(0, 0, got.box.width, got.box.height)};
    long inked = 0, carried = 0;
    for (int y = 0; y < got.box.height; ++y)
        for (int x = 0; x < got.box.width; ++x) {
            if (!wanted.at(x, y)) continue;
            ++inked;
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx)
                    near = got.at(got.box.x + x + dx, got.box.y + y + dy);
            carried += near;
        }
    return inked ? double(carried) / inked : 0;
}

TEST_F(ProgramTest, APrintToAFileHoldsWhatThePreviewShows) {
    const std::string sheet = example_sheet();
    // The grid's dots are specks at any resolution a test reads.
    write_ini({"DIR_PROJECT=" + dir.path().string(), "PRINT_VIS_GRID=False"});
    Program program(config_dir);
    program.Start({sheet}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    keys(frame, "ctrl+p");  // File > Print
    const std::string dialog = program.WaitWindow("Print");
    ASSERT_FALSE(dialog.empty()) << "no print dialog; the program said: " << program.Stderr();
    // The first printer, "Print to File"; once its options show, the
    // output format after the file's button: PostScript, into output.ps.
    keys(dialog, "Down");
    const std::string options = dir.file("print_dialog.png");
    ASSERT_TRUE(settled_screenshot(dialog, options));
    keys(dialog, "Tab Tab Right");
    ASSERT_TRUE(settled_screenshot(dialog, dir.file("print_dialog_ps.png"), options));
    keys(dialog, "Return");
    const std::string ps = dir.file("output.ps");
    std::uintmax_t size = 0;
    ASSERT_TRUE(wait_until([&] {
        std::error_code ec;
        const std::uintmax_t now = fs::exists(ps, ec) ? fs::file_size(ps, ec) : 0;
        const bool done = now > 0 && now == size && !program.HasWindow("Print");
        size = now;
        return done;
    })) << "nothing was printed to "
        << ps;
    ASSERT_EQ(tn_test::read_text(ps).rfind("%!PS", 0), 0u) << "the print is no PostScript";

    const std::string printed = dir.file("printed.png");
    int status = -1;
    run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=png16m -r100 -sOutputFile=" + printed + " " + ps,
        &status);
    ASSERT_EQ(status, 0) << "Ghostscript could not read the print";
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage print;
    ASSERT_TRUE(print.LoadFile(printed, wxBITMAP_TYPE_PNG));

    // The preview's page of the same size, drawn here as the preview draws it.
    install_program_services();
    config_write_flag = 0;
    proper_set(PRINT_VIS_GRID, 0, 0);
    Schema* schema = nullptr;
    ASSERT_EQ(load_schema_file(&schema, sheet.c_str()), 0);
    SheetPrintJob job("root.sch", {schema});
    wxBitmap page(print.GetWidth(), print.GetHeight(), 24);
    {
        wxMemoryDC dc(page);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        job.draw_page(dc, 1, page.GetSize(), 100);
    }
    close_schema(nullptr, &schema);
    reset_services();
    EXPECT_GE(printed_share(page.ConvertToImage(), print), 0.9)
        << "the print lacks what the preview shows; see " << printed;
}

}  // namespace
