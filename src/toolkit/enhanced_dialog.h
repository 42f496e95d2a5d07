#pragma once
// The base of every dialog: a user panel for the dialog's own items, an
// optional message line under it, a row of buttons and a pinned state.
//
// The program closes dialogs through Show(false, ...), which respects the pin
// and the on-close callback; the framework's own Show(bool) stays available
// and bypasses both (the framework hides windows for its own reasons).
#include <functional>

#include <wx/dialog.h>

class wxBoxSizer;
class wxButton;
class wxPanel;
class wxStaticText;

class EnhancedDialog : public wxDialog {
public:
    // Runs in place of hiding. It may destroy the dialog (Destroy()); the
    // dialog touches nothing of itself after calling it.
    using OnClose = std::function<void(EnhancedDialog& dialog)>;
    // A button's action, given the button's client word.
    using ButtonAction = std::function<void(EnhancedDialog& dialog, long client)>;

    EnhancedDialog(wxWindow* parent, const wxString& title, OnClose on_close = {},
                   bool with_message_line = true, const wxString& name = wxS("dialogBox"));

    wxPanel* UserPanel() const { return user_panel_; }
    // Null when the dialog was made without one.
    wxStaticText* MessageLine() const { return message_line_; }

    // Null or empty shows three blanks; nothing without a message line.
    void SetMessage(const char* text);
    void SetPinned(bool pinned) { pinned_ = pinned; }
    bool IsPinned() const { return pinned_; }

    // Hiding: nothing while pinned; else the on-close callback when there is
    // one, else the dialog is hidden. Showing: takes the pinned state from
    // the second argument and resets the message line.
    void Show(bool show, bool pinned);
    using wxDialog::Show;

    // Appends a button to the button row; clicking it runs the action.
    wxButton* AddButton(const wxString& label, ButtonAction action, long client);

private:
    void OnCloseWindow(wxCloseEvent& event);

    OnClose on_close_;
    bool pinned_ = false;
    wxPanel* user_panel_ = nullptr;
    wxStaticText* message_line_ = nullptr;
    wxBoxSizer* button_row_ = nullptr;
};
