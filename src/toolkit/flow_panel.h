#pragma once
// A dialog panel whose items flow left to right in rows (FlowLayout), with
// their labels beside or above them. Items are made by the caller as
// children of the panel and handed to Add, which places them at once.
//
// A sub-panel is a FlowPanel inside another, without margins: it is made
// with NewSubPanel, filled like any panel, and then placed in its parent's
// flow with AddSubPanel, at the size of what it holds. Columns of labels
// or of bitmap buttons are sub-panels with spacings of 0.
#include <wx/panel.h>

#include "toolkit/flow_layout.h"

class wxStaticText;

class FlowPanel : public wxPanel {
public:
    explicit FlowPanel(wxWindow* parent, int margin = 8);

    // Places the item (a child of this panel) at its best size, with a label
    // made from the text when it is not empty; returns the item.
    wxWindow* Add(wxWindow* item, const wxString& label = wxString());
    // Places a label alone (a message item).
    wxStaticText* AddLabel(const wxString& text);
    void NewLine(int blank_height = 10) { layout_.NewLine(blank_height); }
    void Tab(int dx) { layout_.Tab(dx); }
    void Skip(int dy) { layout_.Skip(dy); }
    void SetLabelPosition(LabelPosition position) { layout_.SetLabelPosition(position); }
    LabelPosition GetLabelPosition() const { return layout_.GetLabelPosition(); }
    void SetSpacing(int h_spacing, int v_spacing) { layout_.SetSpacing(h_spacing, v_spacing); }

    // A child panel without margins, with these spacings and this panel's
    // label position, not placed yet.
    FlowPanel* NewSubPanel(int h_spacing = 0, int v_spacing = 0);
    // Fits the sub-panel round its items and places it in this panel's
    // flow (with a label when the text is not empty).
    FlowPanel* AddSubPanel(FlowPanel* sub, const wxString& label = wxString());

    // The panel takes the size of what it holds.
    void FitToItems();

protected:
    wxSize DoGetBestSize() const override;

private:
    FlowLayout layout_;
};
