#include "toolkit/property_sheet.h"

#include <algorithm>
#include <utility>

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>

PropertySheet::PropertySheet(wxWindow* parent, const wxString& title,
                             const std::vector<wxString>& pages, bool with_apply, int start_page,
                             Hooks hooks, wxWindowID notebook_id)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      hooks_(std::move(hooks)),
      built_(pages.size(), nullptr) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    notebook_ = new wxNotebook(this, notebook_id);
    for (const wxString& title_of_page : pages) {
        auto* holder = new wxPanel(notebook_);
        holder->SetSizer(new wxBoxSizer(wxVERTICAL));
        notebook_->AddPage(holder, title_of_page);
    }
    // Every tab shows: the notebook is at least as wide as their titles.
    for (const wxString& title_of_page : pages)
        tabs_width_ += notebook_->GetTextExtent(wxStripMenuCodes(title_of_page)).x + FromDIP(44);
    column->Add(notebook_, 1, wxEXPAND | wxALL, FromDIP(8));

    auto* buttons = new wxStdDialogButtonSizer;
    auto* ok = new wxButton(this, wxID_OK);
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->AddButton(new wxButton(this, wxID_CANCEL));
    if (with_apply) buttons->AddButton(new wxButton(this, wxID_APPLY));
    buttons->AddButton(new wxButton(this, wxID_HELP));
    buttons->Realize();
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(8));
    SetSizer(column);

    Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &PropertySheet::OnPageChanging, this);
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &PropertySheet::OnPageChanged, this);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
        switch (event.GetId()) {
            case wxID_OK:
                if (!LeaveAllowed(CurrentPage())) return;
                if (hooks_.ok) hooks_.ok();
                Finish(wxID_OK);
                return;
            case wxID_CANCEL:
                if (hooks_.cancel) hooks_.cancel();
                Finish(wxID_CANCEL);
                return;
            case wxID_APPLY:
                if (hooks_.apply) hooks_.apply(CurrentPage());
                return;
            case wxID_HELP:
                if (hooks_.help) hooks_.help(CurrentPage());
                return;
            default: event.Skip();
        }
    });
    // F1 is the Help of the page shown.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_F1 && event.GetModifiers() == wxMOD_NONE)
            sheet_command(wxID_HELP);
        else
            event.Skip();
    });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) {
        if (hooks_.cancel) hooks_.cancel();
        Finish(wxID_CANCEL);
    });

    if (!pages.empty()) {
        const int start = std::clamp(start_page, 0, static_cast<int>(pages.size()) - 1);
        notebook_->ChangeSelection(static_cast<size_t>(start));
        sheet_page_window(start);
    }
    Fit();
}

int PropertySheet::CurrentPage() const { return notebook_->GetSelection(); }

wxWindow* PropertySheet::PageWindow(int page) const {
    return page >= 0 && page < static_cast<int>(built_.size()) ? built_[static_cast<size_t>(page)]
                                                               : nullptr;
}

bool PropertySheet::ShowPage(int page) {
    if (page < 0 || page >= static_cast<int>(built_.size())) return false;
    if (page == CurrentPage()) return true;
    if (!LeaveAllowed(CurrentPage())) return false;
    notebook_->ChangeSelection(static_cast<size_t>(page));
    sheet_page_window(page);
    return true;
}

void PropertySheet::sheet_command(int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(FindWindow(id));
    ProcessWindowEvent(event);
}

bool PropertySheet::LeaveAllowed(int page) {
    if (page < 0 || !hooks_.can_leave || hooks_.can_leave(page)) return true;
    if (hooks_.refused) hooks_.refused(page);
    return false;
}

void PropertySheet::OnPageChanging(wxBookCtrlEvent& event) {
    if (event.GetEventObject() != notebook_) return event.Skip();
    if (!LeaveAllowed(event.GetOldSelection())) event.Veto();
}

void PropertySheet::OnPageChanged(wxBookCtrlEvent& event) {
    if (event.GetEventObject() != notebook_) return event.Skip();
    sheet_page_window(event.GetSelection());
}

// The page's window goes into its holder the first time it is shown; the
// dialog grows when the page needs more room than the others took.
void PropertySheet::sheet_page_window(int page) {
    if (page < 0 || page >= static_cast<int>(built_.size()) || built_[static_cast<size_t>(page)])
        return;
    wxWindow* holder = notebook_->GetPage(static_cast<size_t>(page));
    wxWindow* content = hooks_.build ? hooks_.build(page, holder) : nullptr;
    if (!content) content = new wxPanel(holder);
    built_[static_cast<size_t>(page)] = content;
    holder->GetSizer()->Add(content, 1, wxEXPAND | wxALL, FromDIP(6));
    notebook_->InvalidateBestSize();
    const wxSize best = notebook_->GetBestSize();
    notebook_->SetMinSize(wxSize(std::max(tabs_width_, best.x), best.y));
    const wxSize need = GetSizer()->ComputeFittingWindowSize(this);
    const wxSize now = GetSize();
    SetMinSize(wxDefaultSize);
    if (need.x > now.x || need.y > now.y) SetSize(std::max(need.x, now.x), std::max(need.y, now.y));
    SetMinSize(need);
    Layout();
    // A page shown for the first time has not been given its place by the
    // toolkit yet: its controls are laid out in the room the notebook gives
    // its pages, never squeezed into the holder's size of before.
    const wxSize area = notebook_->GetSize() - notebook_->CalcSizeFromPage(wxSize(0, 0));
    if (area.x > 0 && area.y > 0) holder->SetSize(area);
    holder->Layout();
}

void PropertySheet::Finish(int code) {
    if (IsModal())
        EndModal(code);
    else
        Hide();
}
