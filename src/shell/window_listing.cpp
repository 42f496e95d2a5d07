#include "shell/window_listing.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "toolkit/cell_tree.h"

namespace {

std::string escaped(const wxString& text) {
    std::string out;
    for (char c : text.utf8_string()) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

wxString value_of(wxWindow* window) {
    if (auto* text = dynamic_cast<wxTextCtrl*>(window)) return text->GetValue();
    if (auto* box = dynamic_cast<wxCheckBox*>(window)) return box->GetValue() ? "1" : "0";
    if (auto* radio = dynamic_cast<wxRadioButton*>(window)) return radio->GetValue() ? "1" : "0";
    if (auto* choice = dynamic_cast<wxChoice*>(window)) return choice->GetStringSelection();
    if (auto* bar = dynamic_cast<wxStatusBar*>(window)) {
        wxString fields;
        for (int i = 0; i < bar->GetFieldsCount(); ++i)
            fields += (i ? " | " : "") + bar->GetStatusText(i);
        return fields;
    }
    if (auto* list = dynamic_cast<wxListBox*>(window)) {
        wxArrayInt lines;
        list->GetSelections(lines);
        wxString joined;
        for (int line : lines) joined += (joined.empty() ? "" : ",") + list->GetString(line);
        return joined;
    }
    return {};
}

void describe(wxWindow* window, int depth, std::string* out) {
    if (!window->IsShown()) return;
    const wxRect r = window->GetScreenRect();
    *out += std::to_string(depth) + '\t' + escaped(window->GetClassInfo()->GetClassName()) + '\t' +
            escaped(window->GetLabel()) + '\t' + std::to_string(r.x) + ' ' + std::to_string(r.y) +
            ' ' + std::to_string(r.width) + ' ' + std::to_string(r.height) + '\t' +
            (window->IsEnabled() ? "1" : "0") + '\t' + escaped(value_of(window)) + '\n';
    // The rows of a list shown as a tree, as its children: their cells
    // joined by " | " and the place of their first cell.
    if (auto* tree = dynamic_cast<CellTree*>(window)) {
        for (int row = 0; row < tree->RowCount(); ++row) {
            wxRect cell = tree->CellRect(row, 0);
            if (cell.IsEmpty()) continue;
            cell.SetPosition(tree->GetMainWindow()->ClientToScreen(cell.GetPosition()));
            wxString cells;
            for (unsigned c = 0; c < tree->GetColumnCount(); ++c)
                cells += (c ? " | " : "") + tree->Cell(row, static_cast<int>(c));
            *out += std::to_string(depth + 1) + "\trow\t" + escaped(cells) + '\t' +
                    std::to_string(cell.x) + ' ' + std::to_string(cell.y) + ' ' +
                    std::to_string(cell.width) + ' ' + std::to_string(cell.height) + "\t1\t" +
                    (tree->Selection() == row ? "1" : "0") + '\n';
        }
    }
    for (wxWindow* child : window->GetChildren())
        if (!child->IsTopLevel()) describe(child, depth + 1, out);
}

}  // namespace

std::string describe_windows() {
    std::string out;
    for (wxWindow* window : wxTopLevelWindows) describe(window, 0, &out);
    return out;
}
