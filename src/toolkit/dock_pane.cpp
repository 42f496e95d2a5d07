#include "toolkit/dock_pane.h"

#include <algorithm>
#include <utility>

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

DockPane::DockPane(wxWindow* parent, const wxString& title, wxLayoutAlignment side, int thickness,
                   std::function<void()> on_close)
    : wxSashLayoutWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                         wxSW_3DSASH | wxCLIP_CHILDREN, title),
      on_close_(std::move(on_close)) {
    SetLabel(title);
    SetAlignment(side);
    SetOrientation(Across() ? wxLAYOUT_HORIZONTAL : wxLAYOUT_VERTICAL);
    SetThickness(thickness);
    // The sash on the side that faces the frame's middle.
    const wxSashEdgePosition facing = side == wxLAYOUT_BOTTOM ? wxSASH_TOP
                                      : side == wxLAYOUT_TOP  ? wxSASH_BOTTOM
                                      : side == wxLAYOUT_LEFT ? wxSASH_RIGHT
                                                              : wxSASH_LEFT;
    SetSashVisible(facing, true);
    SetMinimumSizeX(DOCK_PANE_MIN);
    SetMinimumSizeY(DOCK_PANE_MIN);

    // The sash window sizes its one child, the body, to what lies inside
    // the sash.
    body_ = new wxPanel(this);
    auto* caption = new wxBoxSizer(wxHORIZONTAL);
    auto* name = new wxStaticText(body_, wxID_ANY, title);
    name->SetFont(name->GetFont().Bold());
    caption->Add(name, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    auto* close = new wxButton(body_, wxID_ANY, wxString::FromUTF8("\xC3\x97"), wxDefaultPosition,
                               wxDefaultSize, wxBU_EXACTFIT | wxBORDER_NONE);
    close->SetToolTip(wxS("Close"));
    // A click on it leaves the keyboard where the user works.
    close->SetCanFocus(false);
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (on_close_) on_close_();
    });
    caption->Add(close, 0, wxALIGN_CENTER_VERTICAL);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(caption, 0, wxEXPAND | wxBOTTOM, 2);
    body_->SetSizer(column);
}

void DockPane::SetContent(wxWindow* content) {
    if (content_) body_->GetSizer()->Detach(content_);
    content_ = content;
    if (content_) body_->GetSizer()->Add(content_, 1, wxEXPAND);
    body_->Layout();
}

bool DockPane::Across() const {
    return GetAlignment() == wxLAYOUT_TOP || GetAlignment() == wxLAYOUT_BOTTOM;
}

void DockPane::SetThickness(int pixels) {
    thickness_ = std::max(pixels, DOCK_PANE_MIN);
    LimitTo(thickness_);
}

void DockPane::LimitTo(int room) {
    const int pixels = std::max(std::min(thickness_, room), DOCK_PANE_MIN);
    // The other side is the layout's: it takes what the frame has left.
    SetDefaultSize(Across() ? wxSize(1000, pixels) : wxSize(pixels, 1000));
}

DockPane* dock_pane_dragged(wxSashEvent& event) {
    auto* pane = dynamic_cast<DockPane*>(event.GetEventObject());
    if (!pane || event.GetDragStatus() == wxSASH_STATUS_OUT_OF_RANGE) return nullptr;
    const wxRect asked = event.GetDragRect();
    const bool across =
        pane->GetAlignment() == wxLAYOUT_TOP || pane->GetAlignment() == wxLAYOUT_BOTTOM;
    pane->SetThickness(across ? asked.height : asked.width);
    return pane;
}
