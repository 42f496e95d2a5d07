#include "toolkit/enhanced_dialog.h"

#include <algorithm>
#include <utility>

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "toolkit/asking.h"
#include "toolkit/dialog_style.h"

namespace {
const char* const no_message = "   ";
}

long dialog_style = 0x3C0200;
long dialog_style_message = 0x340200;

CancelPlacement dialog_cancel_placement(long style) {
    switch (style & DIALOG_CANCEL_MASK) {
        case DIALOG_CANCEL_AFTER: return CancelPlacement::AFTER_FIRST;
        case DIALOG_CANCEL_BEFORE: return CancelPlacement::BEFORE_FIRST;
        default: return CancelPlacement::NONE;
    }
}

bool dialog_has_message_line(long style) { return !(style & DIALOG_NO_MESSAGE); }
bool dialog_buttons_in_column(long style) { return style & DIALOG_BUTTON_COLUMN; }

long wx_style_from_dialog_style(long style) {
    long wx = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
    if ((style & DIALOG_SMALL_CAPTION) && !(style & DIALOG_WIDE_CAPTION)) wx |= wxFRAME_TOOL_WINDOW;
    return wx;
}

EnhancedDialog::EnhancedDialog(wxWindow* parent, const wxString& title, bool modal, int x, int y,
                               OnClose on_close, int button_spacing, int width, int height,
                               long style, const wxString& name)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
               wx_style_from_dialog_style(style), name),
      on_close_(std::move(on_close)),
      style_(style) {
    Build(modal, x, y, button_spacing, width, height);
}

EnhancedDialog::EnhancedDialog(wxWindow* parent, const wxString& title, OnClose on_close,
                               bool with_message_line, const wxString& name)
    : EnhancedDialog(parent, title, false, -1, -1, std::move(on_close), -1, 0, 0,
                     with_message_line ? 0L : static_cast<long>(DIALOG_NO_MESSAGE), name) {}

EnhancedDialog::~EnhancedDialog() {
    if (owner_slot && *owner_slot == this) *owner_slot = nullptr;
}

void EnhancedDialog::Build(bool modal, int x, int y, int button_spacing, int width, int height) {
    modal_ = modal;
    x_ = x;
    y_ = y;
    min_w_ = width;
    min_h_ = height;
    if (button_spacing >= 0) button_spacing_ = button_spacing;

    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* content = new wxBoxSizer(wxHORIZONTAL);
    panels_ = new wxBoxSizer(wxVERTICAL);
    user_panel_ = new FlowPanel(this);
    panels_->Add(user_panel_, 1, wxEXPAND);
    content->Add(panels_, 1, wxEXPAND | wxALL, 4);
    column->Add(content, 1, wxEXPAND);
    if (dialog_has_message_line(style_)) {
        message_line_ = new wxStaticText(this, wxID_ANY, no_message);
        column->Add(message_line_, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    }
    if (dialog_buttons_in_column(style_)) {
        buttons_sizer_ = new wxBoxSizer(wxVERTICAL);
        content->Add(buttons_sizer_, 0, wxALL, 4);
    } else {
        buttons_sizer_ = new wxBoxSizer(wxHORIZONTAL);
        column->Add(buttons_sizer_, 0, wxALIGN_CENTER | wxALL, 4);
    }
    SetSizer(column);
    Bind(wxEVT_CLOSE_WINDOW, &EnhancedDialog::OnCloseWindow, this);
    // F1 inside a dialog is its Help button (the main frame's F1 does not
    // reach a dialog's keys).
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        wxButton* help = event.GetKeyCode() == WXK_F1 && event.GetModifiers() == wxMOD_NONE
                             ? HelpButton(this)
                             : nullptr;
        if (!help) {
            event.Skip();
            return;
        }
        wxCommandEvent click(wxEVT_BUTTON, help->GetId());
        click.SetEventObject(help);
        help->ProcessWindowEvent(click);
    });
    // Widgets of a dialog never shown may report less room than they take
    // once shown: the first showing grows the dialog to what they need.
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        event.Skip();
        if (event.IsShown()) CallAfter([this] { GrowToContents(); });
    });
}

void EnhancedDialog::GrowToContents() {
    Layout();
    const wxSize need = GetSizer()->GetMinSize();
    const wxSize have = GetClientSize();
    if (need.x <= have.x && need.y <= have.y) return;
    SetClientSize(std::max(need.x, have.x), std::max(need.y, have.y));
    if (x_ < 0 || y_ < 0) CentreOnParent();
}

FlowPanel* EnhancedDialog::AddSecondUserPanel() {
    if (!second_panel_) {
        second_panel_ = new FlowPanel(this);
        panels_->Add(second_panel_, 0, wxEXPAND | wxTOP, 4);
    }
    return second_panel_;
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
        if (modal_ && !IsModal()) {
            ask_modal(this);
            // A close asked for while the loop ran happens now that it has
            // ended: the callback may destroy the dialog, whose loop was
            // still on the stack.
            if (close_after_loop_) {
                close_after_loop_ = false;
                if (on_close_) on_close_(*this);
            }
            return;
        }
        wxDialog::Show(true);
        return;
    }
    if (pinned_) return;
    if (IsModal()) {
        EndModal(wxID_CANCEL);
        close_after_loop_ = on_close_ != nullptr;
        return;
    }
    if (on_close_) {
        on_close_(*this);  // may have destroyed us
        return;
    }
    wxDialog::Show(false);
}

wxButton* EnhancedDialog::MakeButton(const wxString& label, ButtonAction action, long client,
                                     wxWindowID id) {
    auto* button = new wxButton(this, id, label);
    button->Bind(wxEVT_BUTTON, [this, action = std::move(action), client](wxCommandEvent&) {
        if (action) action(*this, client);
    });
    int flags = dialog_buttons_in_column(style_) ? (wxEXPAND | wxBOTTOM) : wxRIGHT;
    buttons_sizer_->Add(button, 0, flags, button_spacing_);
    buttons_.emplace_back(button, client);
    return button;
}

wxButton* EnhancedDialog::AddButton(const wxString& label, ButtonAction action, long client) {
    const bool first = buttons_.empty();
    const CancelPlacement cancel = first ? dialog_cancel_placement(style_) : CancelPlacement::NONE;
    auto cancel_action = [](EnhancedDialog& d, long) { d.OnCancelButton(); };
    if (cancel == CancelPlacement::BEFORE_FIRST)
        cancel_button_ = MakeButton(wxS("Cancel"), cancel_action, 0, wxID_CANCEL);
    wxButton* button = MakeButton(label, std::move(action), client);
    if (cancel == CancelPlacement::AFTER_FIRST)
        cancel_button_ = MakeButton(wxS("Cancel"), cancel_action, 0, wxID_CANCEL);
    return button;
}

void EnhancedDialog::AddButtonSpace(int pixels) {
    if (pixels > 0) buttons_sizer_->AddSpacer(pixels);
}

wxButton* EnhancedDialog::HelpButton(wxWindow* within) {
    for (wxWindow* child : within->GetChildren()) {
        if (child->IsTopLevel() || !child->IsShown() || !child->IsEnabled()) continue;
        auto* button = dynamic_cast<wxButton*>(child);
        if (button && button->GetLabelText() == wxS("Help")) return button;
        if (wxButton* inside = HelpButton(child)) return inside;
    }
    return nullptr;
}

wxButton* EnhancedDialog::FindButton(long client) const {
    for (const auto& [button, word] : buttons_)
        if (word == client && button != cancel_button_) return button;
    return nullptr;
}

void EnhancedDialog::OnCancelButton() {
    pinned_ = false;
    Show(false, false);
}

void EnhancedDialog::Fit() {
    user_panel_->FitToItems();
    if (second_panel_) second_panel_->FitToItems();
    Layout();
    // Fitted through the sizer: the toolkit then keeps the fitted area when
    // a window manager frames the dialog as it is shown, rather than take
    // the frame out of it and squeeze the controls.
    GetSizer()->Fit(this);
    wxSize size = GetSize();
    if (min_w_ > size.x || min_h_ > size.y)
        SetSize(std::max(min_w_, size.x), std::max(min_h_, size.y));
    if (x_ >= 0 && y_ >= 0)
        Move(x_, y_);
    else
        CentreOnParent();
}

// The user's close box always closes: the pin only keeps the dialog open
// against the program's own hide requests.
void EnhancedDialog::OnCloseWindow(wxCloseEvent&) { OnCancelButton(); }
