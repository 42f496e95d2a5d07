#include "toolkit/flow_panel.h"

#include <wx/stattext.h>

FlowPanel::FlowPanel(wxWindow* parent, int margin) : wxPanel(parent, wxID_ANY) {
    layout_.SetMargin(margin);
}

wxWindow* FlowPanel::Add(wxWindow* item, const wxString& label) {
    if (!item) return nullptr;
    wxStaticText* text = label.empty() ? nullptr : new wxStaticText(this, wxID_ANY, label);
    wxSize label_size = text ? text->GetBestSize() : wxSize(0, 0);
    // An item given a least size (a field as wide as its sample text) keeps it.
    wxSize item_size = item->GetEffectiveMinSize();
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

FlowPanel* FlowPanel::NewSubPanel(int h_spacing, int v_spacing) {
    auto* sub = new FlowPanel(this, 0);
    sub->SetSpacing(h_spacing, v_spacing);
    sub->SetLabelPosition(GetLabelPosition());
    return sub;
}

FlowPanel* FlowPanel::AddSubPanel(FlowPanel* sub, const wxString& label) {
    if (!sub) return nullptr;
    sub->FitToItems();
    Add(sub, label);
    return sub;
}

void FlowPanel::FitToItems() {
    wxSize size(layout_.Width(), layout_.Height());
    SetMinSize(size);
    SetSize(size);
    InvalidateBestSize();
}

wxSize FlowPanel::DoGetBestSize() const { return wxSize(layout_.Width(), layout_.Height()); }
