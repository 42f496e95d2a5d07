#include "toolkit/flow_panel.h"

#include <wx/stattext.h>

FlowPanel::FlowPanel(wxWindow* parent) : wxPanel(parent, wxID_ANY) {}

wxWindow* FlowPanel::Add(wxWindow* item, const wxString& label) {
    if (!item) return nullptr;
    wxStaticText* text = label.empty() ? nullptr : new wxStaticText(this, wxID_ANY, label);
    wxSize label_size = text ? text->GetBestSize() : wxSize(0, 0);
    wxSize item_size = item->GetBestSize();
    FlowPlacement p = layout_.Add(label_size.x, label_size.y, item_size.x, item_size.y);
    if (text) text->SetSize(p.label.x, p.label.y, p.label.w, p.label.h);
    item->SetSize(p.item.x, p.item.y, p.item.w, p.item.h);
    return item;
}

wxStaticText* FlowPanel::AddLabel(const wxString& text) {
    auto* label = new wxStaticText(this, wxID_ANY, text);
    Add(label);
    return label;
}

void FlowPanel::FitToItems() {
    wxSize size(layout_.Width(), layout_.Height());
    SetMinSize(size);
    SetSize(size);
}
