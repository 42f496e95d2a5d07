#pragma once
// The base of every dialog: a user panel for the dialog's own items (and an
// optional second one below it), an optional message line, a panel of
// buttons in a row or a column, a pinned state and the slot of its owner.
//
// The style word says how the dialog looks (toolkit/dialog_style.h): its
// caption, whether it has a message line, whether the buttons stand in a
// column, and where the "Cancel" button the first AddButton adds goes.
//
// The program closes dialogs through Show(false, ...), which respects the pin
// and the on-close callback; the framework's own Show(bool) stays available
// and bypasses both (the framework hides windows for its own reasons).
#include <functional>
#include <utility>
#include <vector>

#include <wx/dialog.h>

#include "toolkit/flow_panel.h"

class wxBoxSizer;
class wxButton;
class wxStaticText;

class EnhancedDialog : public wxDialog {
public:
    // Runs in place of hiding. It may destroy the dialog (Destroy()); the
    // dialog touches nothing of itself after calling it.
    using OnClose = std::function<void(EnhancedDialog& dialog)>;
    // A button's action, given the button's client word.
    using ButtonAction = std::function<void(EnhancedDialog& dialog, long client)>;

    // x, y: position (negative: centred when fitted); button_spacing: gap
    // between buttons (-1: the default); width, height: the least size
    // (0 or less: as the contents need).
    EnhancedDialog(wxWindow* parent, const wxString& title, bool modal, int x, int y,
                   OnClose on_close, int button_spacing, int width, int height, long style,
                   const wxString& name);
    // A modeless dialog with a row of buttons and no "Cancel" added.
    EnhancedDialog(wxWindow* parent, const wxString& title, OnClose on_close = {},
                   bool with_message_line = true, const wxString& name = wxS("dialogBox"));

    FlowPanel* UserPanel() const { return user_panel_; }
    // Adds the second panel under the first (once; later calls return it).
    FlowPanel* AddSecondUserPanel();
    FlowPanel* SecondUserPanel() const { return second_panel_; }
    // Null when the dialog was made without one.
    wxStaticText* MessageLine() const { return message_line_; }
    long Style() const { return style_; }

    // Null or empty shows three blanks; nothing without a message line.
    void SetMessage(const char* text);
    void SetPinned(bool pinned) { pinned_ = pinned; }
    bool IsPinned() const { return pinned_; }

    // Hiding: nothing while pinned; else the on-close callback when there is
    // one, else the dialog is hidden. Showing: takes the pinned state from
    // the second argument and resets the message line; a modal dialog runs
    // its modal loop until it is hidden (a modal dialog's on-close callback
    // runs when its loop has ended, before this Show returns).
    void Show(bool show, bool pinned);
    using wxDialog::Show;

    // Appends a button to the button panel; clicking it runs the action. The
    // first call adds "Cancel" as the style word says.
    wxButton* AddButton(const wxString& label, ButtonAction action, long client);
    // Space of that many pixels before the next button (below it in a
    // column, beside it in a row).
    void AddButtonSpace(int pixels);
    // The button with that client word, or null.
    wxButton* FindButton(long client) const;
    // The shown and enabled button labelled "Help" among the window's
    // descendants (in the button column or the dialog's panels), or null.
    static wxButton* HelpButton(wxWindow* within);
    // What "Cancel" and the close box do: unpin and close.
    void OnCancelButton();
    // Sizes the dialog round its panels, message line and buttons.
    void Fit() override;

    // The owner's slot that holds this dialog (toolkit/dialog_owner.h), or
    // null: cleared when the dialog is deleted.
    EnhancedDialog** owner_slot = nullptr;
    ~EnhancedDialog() override;

private:
    void Build(bool modal, int x, int y, int button_spacing, int width, int height);
    void GrowToContents();
    void OnCloseWindow(wxCloseEvent& event);
    // The added "Cancel" has the toolkit's cancel id: Escape presses it.
    wxButton* MakeButton(const wxString& label, ButtonAction action, long client,
                         wxWindowID id = wxID_ANY);

    OnClose on_close_;
    long style_;
    bool modal_ = false;
    bool pinned_ = false;
    bool close_after_loop_ = false;  // the on-close callback waits for the modal loop's end
    int x_ = -1, y_ = -1, min_w_ = 0, min_h_ = 0;
    int button_spacing_ = 4;
    FlowPanel* user_panel_ = nullptr;
    FlowPanel* second_panel_ = nullptr;
    wxBoxSizer* panels_ = nullptr;
    wxStaticText* message_line_ = nullptr;
    wxBoxSizer* buttons_sizer_ = nullptr;
    std::vector<std::pair<wxButton*, long>> buttons_;
    wxButton* cancel_button_ = nullptr;  // the one AddButton added, if any
};
