#include "shell/window_listing.h"

#include <dlfcn.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/radiobox.h>
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
    if (auto* radios = dynamic_cast<wxRadioBox*>(window)) return radios->GetStringSelection();
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

#ifdef __WXGTK__
// Where a top-level window's own area stands on the screen as the toolkit
// knows it, its frame left out: a window manager frames and places a new
// window after the program laid it out, and the program's own idea of the
// frame can stay off from then on, while the places of the controls inside
// follow what the toolkit knows. A test compares this with where the
// display has the window, to know when the controls' places hold.
bool toolkit_rect(wxWindow* window, wxRect* rect) {
    using Window = void* (*)(void*);
    using Origin = int (*)(void*, int*, int*);
    using Extent = int (*)(void*);
    static const auto window_of =
        reinterpret_cast<Window>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    static const auto origin =
        reinterpret_cast<Origin>(dlsym(RTLD_DEFAULT, "gdk_window_get_origin"));
    static const auto width = reinterpret_cast<Extent>(dlsym(RTLD_DEFAULT, "gdk_window_get_width"));
    static const auto height =
        reinterpret_cast<Extent>(dlsym(RTLD_DEFAULT, "gdk_window_get_height"));
    if (!window_of || !origin || !width || !height || !window->GetHandle()) return false;
    void* gdk_window = window_of(window->GetHandle());
    if (!gdk_window) return false;
    int x = 0, y = 0;
    origin(gdk_window, &x, &y);
    *rect = wxRect(x, y, width(gdk_window), height(gdk_window));
    return true;
}
#else
bool toolkit_rect(wxWindow*, wxRect*) { return false; }
#endif

void describe(wxWindow* window, int depth, std::string* out) {
    if (!window->IsShown()) return;
    wxRect r = window->GetScreenRect();
    if (window->IsTopLevel()) toolkit_rect(window, &r);
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
