// The toolkit's settled state, which the GUI tests wait on instead of
// sleeping: it must never say settled while something that came in, was
// posted or was invalidated before the question is still unhandled.
#include "toolkit/settling.h"

#include <gtest/gtest.h>

#include <chrono>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include "toolkit/wx_test_env.h"

namespace {

// Asks until settled, letting the toolkit run between the questions.
bool settle(int* questions = nullptr) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    // The first answer only marks the moment.
    toolkit_settled();
    int asked = 0;
    bool settled = false;
    while (!settled && std::chrono::steady_clock::now() < end) {
        ++asked;
        settled = toolkit_settled();
        if (!settled) wxTheApp->Yield(true);
    }
    if (questions) *questions = asked;
    return settled;
}

class Settling : public testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "settling", wxPoint(30, 30), wxSize(300, 200));
        panel = new wxPanel(frame);
        panel->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(panel);
            ++paints;
        });
        frame->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
            sizes = event.GetSize();
            event.Skip();
        });
        frame->Show();
        settle();
    }
    void TearDown() override { tn_test::destroy_window(frame); }

    wxFrame* frame = nullptr;
    wxPanel* panel = nullptr;
    int paints = 0;
    wxSize sizes;
};

TEST_F(Settling, AShownWindowIsPaintedAndNoAnswerIsYesBeforeAnIdlePass) {
    EXPECT_GT(paints, 0) << "settled before the new window was painted";
    int questions = 0;
    ASSERT_TRUE(settle(&questions));
    // Even with nothing to do, the first answer waits for an idle pass.
    EXPECT_GE(questions, 2);
}

TEST_F(Settling, PostedEventsInvalidAreasAndTheServersAnswersAreHandledFirst) {
    bool called = false;
    frame->CallAfter([&] { called = true; });
    EXPECT_FALSE(toolkit_settled());
    ASSERT_TRUE(settle());
    EXPECT_TRUE(called) << "settled with a posted call waiting";

    const int before = paints;
    panel->Refresh();
    ASSERT_TRUE(settle());
    EXPECT_GT(paints, before) << "settled with an invalid area unpainted";

    // A new size goes to the display server; the window learns it from the
    // server's answer, which settling waits for.
    frame->SetSize(wxSize(360, 240));
    ASSERT_TRUE(settle());
    EXPECT_EQ(sizes, wxSize(360, 240)) << "settled before the server's answer was handled";
}

}  // namespace
