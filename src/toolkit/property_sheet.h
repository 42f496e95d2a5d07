#pragma once
// A property sheet: a dialog with a notebook of pages and the buttons OK,
// Cancel, Apply (when asked for) and Help.
//
// A page is built the first time it is shown (its tab chosen, or the start
// page), and the dialog grows to fit it. A page may refuse to be left
// (can_leave): the tab does not change and OK does nothing but tell why
// (refused). The start page is clamped to the pages there are. Escape and
// the close box are Cancel.
#include <functional>
#include <vector>

#include <wx/dialog.h>

class wxBookCtrlEvent;
class wxNotebook;

class PropertySheet : public wxDialog {
public:
    struct Hooks {
        // Makes the page's window as a child of `parent` (required).
        std::function<wxWindow*(int page, wxWindow* parent)> build;
        // False keeps the page current and OK from closing.
        std::function<bool(int page)> can_leave;
        // Told once the page was left and could not be (OK or a tab).
        std::function<void(int page)> refused;
        std::function<void()> ok;
        std::function<void()> cancel;
        std::function<void(int page)> apply;
        std::function<void(int page)> help;
    };

    PropertySheet(wxWindow* parent, const wxString& title, const std::vector<wxString>& pages,
                  bool with_apply, int start_page, Hooks hooks, wxWindowID notebook_id = wxID_ANY);

    wxNotebook* Notebook() const { return notebook_; }
    int CurrentPage() const;
    // Shows a page as the user's tab would (through can_leave); false when
    // the current page refused.
    bool ShowPage(int page);
    // The page's window, or null while it was never shown.
    wxWindow* PageWindow(int page) const;
    // Presses a button as the user would (wxID_OK, wxID_CANCEL, wxID_APPLY, wxID_HELP).
    void sheet_command(int id);

private:
    void sheet_page_window(int page);
    void OnPageChanging(wxBookCtrlEvent& event);
    void OnPageChanged(wxBookCtrlEvent& event);
    bool LeaveAllowed(int page);
    void Finish(int code);

    Hooks hooks_;
    wxNotebook* notebook_;
    std::vector<wxWindow*> built_;  // per page: its window once built
    int tabs_width_ = 0;            // the width every tab's title needs
};
