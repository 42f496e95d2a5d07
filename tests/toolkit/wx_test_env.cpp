// Starts wxWidgets for the toolkit test program. Without a display the
// program fails at once with a clear message rather than waiting.
#include "toolkit/wx_test_env.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>

#include "toolkit/asking.h"
#include "toolkit/toolkit_start.h"

namespace tn_test {

void destroy_window(wxWindow* window) {
    window->Destroy();
    wxTheApp->ProcessPendingEvents();
}

namespace {

// Last registered, first asked: a test's own ModalAnswer comes before it.
class RefuseUnexpectedModal : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override {
        // A test's own script shows it and acts in it.
        if (ask_script_drives(dialog)) return wxID_NONE;
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
};

class WxEnvironment : public testing::Environment {
public:
    void SetUp() override {
        static char name[] = "toolkit_tests";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        // Started as the program starts it: with the desktop's
        // accessibility bridge, whose own blocks are no leaks of ours.
        ToolkitStartScope toolkit;
        int gtk_argc = argc;
        char** gtk_argv = argv;
        start_gtk_patiently(&gtk_argc, &gtk_argv);
        wxApp::SetInstance(new wxApp);
        if (!wxEntryStart(argc, argv)) {
            // A failed environment would only mark the tests skipped: stop
            // the program so that the run fails.
            std::fputs(
                "toolkit_tests: FAILED: cannot open a display; run the GUI tests under "
                "xvfb-run\n",
                stderr);
            std::fflush(stdout);
            std::fflush(stderr);
            std::_Exit(1);
        }
        started_ = true;
        // The toolkit's own assertion box would wait for a user.
        wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                              const wxString& cond, const wxString& msg) {
            ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string()
                          << " (" << file.utf8_string() << ":" << line
                          << "): " << msg.utf8_string();
        });
        refuse_.Register();
    }
    void TearDown() override {
        if (!started_) return;
        refuse_.Unregister();
        wxEntryCleanup();
    }

private:
    bool started_ = false;
    RefuseUnexpectedModal refuse_;
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace
}  // namespace tn_test

// Leak checking (sanitizer builds) of this program only: fontconfig keeps its
// pattern and font caches for the life of the process and never frees them.
// Nothing of ours allocates there.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
