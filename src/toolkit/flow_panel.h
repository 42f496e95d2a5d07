#pragma once
// A dialog panel whose items flow left to right in rows (FlowLayout), with
// their labels beside or above them. Items are made by the caller as
// children of the panel and handed to Add, which places them at once.
#include <wx/panel.h>

#include "toolkit/flow_layout.h"

class wxStaticText;

class FlowPanel : public wxPanel {
public:
    explicit FlowPanel(wxWindow* parent);

    // Places the item (a child of this panel) at its best size, with a label
    // made from the text when it is not empty; returns the item.
    wxWindow* Add(wxWindow* item, const wxString& label = wxString());
    // Places a label alone (a message item).
    wxStaticText* AddLabel(const wxString& text);
    void NewLine(int blank_height = 10) { layout_.NewLine(blank_height); }
    void Tab(int dx) { layout_.Tab(dx); }
    void Skip(int dy) { layout_.Skip(dy); }
    void SetLabelPosition(LabelPosition position) { layout_.SetLabelPosition(position); }
    // The panel takes the size of what it holds.
    void FitToItems();

private:
    FlowLayout layout_;
};
