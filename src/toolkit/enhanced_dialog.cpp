#include "toolkit/enhanced_dialog.h"

#include <utility>

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace {
const char* const no_message = "   ";
}

EnhancedDialog::EnhancedDialog(wxWindow* parent, const wxString& title, OnClose on_close,
                               bool with_message_line, const wxString& name)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, name),
      on_close_(std::move(on_close)) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    user_panel_ = new wxPanel(this);
    column->Add(user_panel_, 1, wxEXPAND | wxALL, 4);
    if (with_message_line) {
        message_line_ = new wxStaticText(this, wxID_ANY, no_message);
        column->Add(message_line_, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
    }
    button_row_ = new wxBoxSizer(wxHORIZONTAL);
    column->Add(button_row_, 0, wxALIGN_CENTER | wxALL, 4);
    SetSizer(column);
    Bind(wxEVT_CLOSE_WINDOW, &EnhancedDialog::OnCloseWindow, this);
}

void EnhancedDialog::SetMessage(const char* text) {
    if (!message_line_) return;
    // The static text would treat '&' as a mnemonic marker: messages are
    // shown as given.
    message_line_->SetLabelText(wxString::FromUTF8(text && *text ? text : no_message));
}

void EnhancedDialog::Show(bool show, bool pinned) {
    if (show) {
        pinned_ = pinned;
        SetMessage(nullptr);
        wxDialog::Show(true);
        return;
    }
    if (pinned_) return;
    if (on_close_) {
        on_close_(*this);  // may have destroyed us
        return;
    }
    wxDialog::Show(false);
}

wxButton* EnhancedDialog::AddButton(const wxString& label, ButtonAction action, long client) {
    auto* button = new wxButton(this, wxID_ANY, label);
    button->Bind(wxEVT_BUTTON, [this, action = std::move(action), client](wxCommandEvent&) {
        if (action) action(*this, client);
    });
    button_row_->Add(button, 0, wxALL, 2);
    return button;
}

// The user's close box always closes: the pin only keeps the dialog open
// against the program's own hide requests.
void EnhancedDialog::OnCloseWindow(wxCloseEvent&) {
    pinned_ = false;
    Show(false, false);
}
