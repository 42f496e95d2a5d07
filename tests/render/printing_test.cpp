#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/properties.h"
#include "render/print_preview.h"
#include "render/printing.h"
#include "render/render_fixture.h"
#include "render/stroke_batch.h"
#include "support/test_env.h"
#include "toolkit/wx_test_env.h"

#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/graphics.h>
#include <wx/stattext.h>

namespace render_test {
namespace {

using tn_test::count_of;

class PrintingTest : public RenderTest {
protected:
    tn_test::TempDir dir;
};

TEST_F(PrintingTest, EachSheetOfAJobIsOnePageOfThePostScriptFile) {
    SchemaPtr first = load("every_item.asc");
    SchemaPtr second = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 50000 40000 ) ) ) )");
    ASSERT_TRUE(first && second);
    SheetPrintJob job("two sheets", {first.get(), second.get()});
    const std::string path = dir.file("sheets.ps");
    ASSERT_TRUE(print_job_to_postscript(job, path));
    const std::string ps = tn_test::read_text(path);
    EXPECT_EQ(count_of(ps, "%%Page: "), 2u);
    EXPECT_EQ(count_of(ps, "showpage"), 2u);
    // The pages hold drawing, and without a colour printer only black.
    EXPECT_GT(count_of(ps, "lineto"), 100u);
    EXPECT_EQ(count_of(ps, "setrgbcolor"), 0u);
    // Nothing but the file itself is left in its folder.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(PrintingTest, PortsOfASheetThatNoWindowShowsAreMeasuredOnAnOpenCanvas) {
    const char* source = "(SCHEMATIC (SHEET (PORT LEFT INPUT (POS 20000 10000 ) 'IN' ) ) )";
    SchemaPtr first = compile(source), second = compile(source);
    SheetPrintJob job_alone("ports", {first.get()}), job_beside("ports", {second.get()});
    const std::string alone = dir.file("alone.ps"), beside = dir.file("beside.ps");
    ASSERT_EQ(any_canvas(), nullptr);
    ASSERT_TRUE(print_job_to_postscript(job_alone, alone));
    make_canvas(100, 100);
    ASSERT_TRUE(print_job_to_postscript(job_beside, beside));
    // With a window open the port gets its outline: more lines are drawn.
    EXPECT_GT(count_of(tn_test::read_text(beside), "lineto"),
              count_of(tn_test::read_text(alone), "lineto"));
}

TEST_F(PrintingTest, AColourPrinterGetsTheConfiguredColours) {
    proper_set(LOGPRINT_COLOR, 2);
    SchemaPtr sheet = compile("(SCHEMATIC (SHEET (LINE BUS (POS 0 0 ) (POS 5000 0 ) ) ) )");
    SheetPrintJob job("colour", {sheet.get()});
    const std::string path = dir.file("colour.ps");
    ASSERT_TRUE(print_job_to_postscript(job, path));
    EXPECT_GT(count_of(tn_test::read_text(path), "setrgbcolor"), 0u);
}

TEST_F(PrintingTest, AFileThatCannotBeWrittenFailsAndLeavesNothing) {
    SchemaPtr sheet = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 5000 0 ) ) ) )");
    SheetPrintJob job("one", {sheet.get()});
    EXPECT_FALSE(print_job_to_postscript(job, dir.file("missing/sheet.ps")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

// A page whose context ends in an error state (everything drawn after
// the error was dropped) is reported with the context's message, never
// taken as drawn.
class BreakingJob : public SheetPrintJob {
public:
    using SheetPrintJob::SheetPrintJob;
    void draw_page(wxDC& dc, int page, wxSize size, int ppi) override {
        SheetPrintJob::draw_page(dc, page, size, ppi);
        const CairoCalls& calls = cairo_calls();
        if (page == 2 && dc.GetGraphicsContext() && calls.set_matrix) {
            const double nothing[6] = {0, 0, 0, 0, 0, 0};
            calls.set_matrix(dc.GetGraphicsContext()->GetNativeContext(), nothing);
        }
    }
};

TEST_F(PrintingTest, APageTheContextCouldNotDrawWholeIsAFailure) {
    SchemaPtr sheet = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 5000 0 ) ) ) )");
    BreakingJob job("broken", {sheet.get(), sheet.get()});
    std::string message;
    for (int page : {1, 2}) {
        wxBitmap bitmap(200, 150, 24);
        wxMemoryDC dc(bitmap);
        EXPECT_EQ(draw_checked_page(job, dc, page, bitmap.GetSize(), 72, &message),
                  page == 2 ? 90 : 0);
    }
    EXPECT_EQ(message, "invalid matrix (not invertible)");
}

TEST_F(PrintingTest, ReportsArePaginatedByTheLinesThatFitAPage) {
    std::string text;
    for (int i = 1; i <= 130; ++i) text += "line " + std::to_string(i) + "\r\n";
    TextPrintJob job("report", text);
    // At 72 pixels per inch a line is 12 pixels; an 11-inch page less an
    // inch of margins holds 60.
    EXPECT_EQ(TextPrintJob::lines_per_page(11 * 72, 72), 60);
    EXPECT_EQ(job.page_count(wxSize(612, 792), 72), 3);
    EXPECT_EQ(TextPrintJob("empty", "").page_count(wxSize(612, 792), 72), 1);
    const std::string path = dir.file("report.ps");
    ASSERT_TRUE(print_job_to_postscript(job, path));
    const std::string ps = tn_test::read_text(path);
    EXPECT_GE(count_of(ps, "%%Page: "), 2u);
    EXPECT_NE(ps.find("line 130"), std::string::npos);
    EXPECT_EQ(ps.find("line 130\r"), std::string::npos);
    TextPrintJob unreadable("none", "");
    EXPECT_FALSE(unreadable.load(dir.file("no-such-report.txt")));
}

TEST_F(PrintingTest, ThePreviewDialogShowsThePageTextAndSteps) {
    SchemaPtr first = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 5000 0 ) ) ) )");
    SchemaPtr second = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 0 5000 ) ) ) )");
    SheetPrintJob job("preview", {first.get(), second.get()});
    std::string texts;
    tn_test::ModalAnswer answer([&](wxDialog* dialog) {
        EXPECT_EQ(dialog->GetTitle(), "Print Preview");
        auto* text = wxDynamicCast(dialog->FindWindow(PREVIEW_PAGE_TEXT), wxStaticText);
        auto* prev = dialog->FindWindow(PREVIEW_PREV);
        if (!text || !prev) return wxID_CANCEL;
        texts += text->GetLabel().utf8_string() + (prev->IsEnabled() ? "+" : "-") + ";";
        wxCommandEvent next(wxEVT_BUTTON, PREVIEW_NEXT);
        dialog->ProcessWindowEvent(next);
        texts += text->GetLabel().utf8_string() + (prev->IsEnabled() ? "+" : "-") + ";";
        return wxID_CANCEL;
    });
    print_preview_proc(nullptr, job);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(texts, "Page 1 of 2-;Page 2 of 2+;");
}

TEST(PrintPreviewTest, ButtonsStepThroughThePagesAndClose) {
    PreviewState state;
    state.count = 3;
    EXPECT_EQ(preview_page_text(state), "Page 1 of 3");
    EXPECT_FALSE(print_preview_command(&state, PREVIEW_PREV));
    EXPECT_TRUE(print_preview_command(&state, PREVIEW_NEXT));
    EXPECT_TRUE(print_preview_command(&state, PREVIEW_NEXT));
    EXPECT_FALSE(print_preview_command(&state, PREVIEW_NEXT));
    EXPECT_EQ(preview_page_text(state), "Page 3 of 3");
    EXPECT_TRUE(print_preview_command(&state, PREVIEW_PREV));
    EXPECT_EQ(state.page, 2);
    EXPECT_FALSE(print_preview_command(&state, PREVIEW_AREA));
    EXPECT_FALSE(state.closed);
    EXPECT_TRUE(print_preview_command(&state, PREVIEW_CLOSE));
    EXPECT_TRUE(state.closed);
}

}  // namespace
}  // namespace render_test
