// Printing from the real program: the sheet printed to a PostScript file
// through the print dialog, rasterized with Ghostscript, holds what the
// print preview draws of the same page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

// True when the print dialog's row of output formats (the file's button
// before it is as wide for every long name) now looks as the reference image
// tests/data/shell/<name>, within the tolerance of the reference
// comparisons. With TN_REGENERATE_SHELL=1 the settled row is written as the
// reference instead. Its pictures go to `work`.
bool dialog_shows(const std::string& dialog, const std::string& name, const std::string& work) {
    const char* const row = "340x24+312+284";
    const std::string shot = (fs::path(work) / ("dialog-" + name)).string();
    const std::string cut = shot + "-row.png";
    const std::string reference = std::string(TN_TEST_DATA_DIR) + "/shell/" + name;
    if (std::getenv("TN_REGENERATE_SHELL")) {
        if (!settled_screenshot(dialog, shot)) return false;
        run("convert " + shot + " -crop " + row + " +repage " + reference);
        return true;
    }
    run("import -window " + dialog + " " + shot + " 2>/dev/null && convert " + shot + " -crop " +
        row + " +repage " + cut);
    const std::string count =
        run("compare -metric AE -fuzz 12% " + reference + " " + cut + " null: 2>&1");
    std::error_code ec;
    fs::remove(shot, ec);
    fs::remove(cut, ec);
    return !count.empty() && count.find_first_not_of("0123456789") == std::string::npos &&
           std::atol(count.c_str()) <= 340 * 24 / 500;
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
    // The first printer, "Print to File"; once its options show (the
    // dialog asks for them after the printer is chosen), the output format
    // after the file's button: PostScript, into output.ps. Keys sent before
    // the options show would move through the other controls instead.
    keys(dialog, "Down");
    ASSERT_TRUE(wait_until([&] {
        return dialog_shows(dialog, "print_format_pdf.png", dir.path().string());
    })) << "the dialog never offered the output formats";
    keys(dialog, "Tab Tab Right");
    ASSERT_TRUE(wait_until([&] {
        return dialog_shows(dialog, "print_format_ps.png", dir.path().string());
    })) << "PostScript was not chosen";
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
