#include "toolkit/res_dialogs.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/toplevel.h>
#include <wx/window.h>

ResDialog res_dialogs[RES_DIALOG_COUNT] = {
    {"DAYTIPS", "Tip of the Day", 0},
    {"MS_PROPS_TAB",
     "Preferences",
     1004,
     nullptr,
     8,
     true,
     false,
     {},
     {{"&File Locations", "MS_PROPS_FLOC", 745},
      {"&Drawing", "MS_PROPS_DRAWING", 740},
      {"&Text Prop.", "MS_PROPS_TPROPS", 1270},
      {"&Object Props.", "MS_PROPS_OPROPS", 735},
      {"&Visible at Scale", "MS_PROPS_VIS", 770},
      {"&Attribute Names", "MS_PROPS_ANAMES", 1260},
      {"&Selection Filter", "MS_PROPS_SELECT", 1265},
      {"&Misc.", "MS_PROPS_MISC", 1275}}},
    {"MS_PARTS_TAB",
     "Load Part",
     1200,
     nullptr,
     2,
     true,
     false,
     {},
     {{"&Load Part", "MS_PARTS_LOAD", 670}, {"&Part Palette", "MS_PARTS_PALETTE", 670}}},
    {"MS_STATS", "Statistics", 0},
    {"MS_PRINT_PREVIEW", "Print Preview", 0},
};

int res_dialog_current = 0;
std::map<wxWindow*, int> res_dialog_windows;

bool res_dialog_begin(int row, void* owner_view) {
    if (row < 0 || row >= RES_DIALOG_COUNT) return false;
    ResDialog& r = res_dialogs[row];
    if (r.window) {
        r.window->Raise();
        return false;
    }
    r.owner_view = owner_view;
    res_dialog_current = row;
    for (bool& changed : r.changed) changed = false;
    return true;
}

void res_dialog_opened(int row, wxWindow* window) {
    if (row < 0 || row >= RES_DIALOG_COUNT || !window) return;
    res_dialogs[row].window = window;
    res_dialog_windows[window] = row;
}

void res_dialog_closed(wxWindow* window) {
    auto found = res_dialog_windows.find(window);
    if (found == res_dialog_windows.end()) return;
    ResDialog& r = res_dialogs[found->second];
    if (r.window == window) r.window = nullptr;
    for (wxWindow*& page : r.page_windows) page = nullptr;
    res_dialog_windows.erase(found);
}

int native_dlg_index(wxWindow* window) {
    auto found = res_dialog_windows.find(window);
    return found == res_dialog_windows.end() ? -1 : found->second;
}

void close_res_dialogs(bool all, void* current_view) {
    // Copied: closing a dialog takes it out of the map.
    const std::map<wxWindow*, int> open = res_dialog_windows;
    for (const auto& [window, row] : open) {
        ResDialog& r = res_dialogs[row];
        if (!all && !(r.per_view && r.owner_view != current_view)) continue;
        r.owner_view = nullptr;
        window->Close(true);
    }
}

Point center_on_frame(const Rect& frame, int width, int height) {
    auto half = [](int outer, int inner) {
        const int d = (outer - inner) / 2;
        return d < 0 ? 0 : d;
    };
    return Point{frame.x + half(frame.w, width), frame.y + half(frame.h, height)};
}

void center_window_on(wxWindow* window, wxWindow* frame) {
    if (!window || !frame) return;
    const wxRect f = frame->GetScreenRect();
    const wxSize size = window->GetSize();
    const Point at = center_on_frame(Rect{f.x, f.y, f.width, f.height}, size.x, size.y);
    window->Move(at.x, at.y);
}

void check_set(wxWindow* dialog, int id, bool state) {
    if (auto* box = dynamic_cast<wxCheckBox*>(dialog ? dialog->FindWindow(id) : nullptr))
        box->SetValue(state);
}

int check_get(wxWindow* dialog, int id) {
    auto* box = dynamic_cast<wxCheckBox*>(dialog ? dialog->FindWindow(id) : nullptr);
    return box && box->GetValue() ? 1 : 0;
}

void radio_set(wxWindow* dialog, int index, std::initializer_list<int> ids) {
    int position = 0;
    for (int id : ids) {
        if (auto* button = dynamic_cast<wxRadioButton*>(dialog ? dialog->FindWindow(id) : nullptr))
            button->SetValue(position == index);
        ++position;
    }
}

int radio_get(wxWindow* dialog, std::initializer_list<int> ids) {
    int position = 0;
    for (int id : ids) {
        auto* button = dynamic_cast<wxRadioButton*>(dialog ? dialog->FindWindow(id) : nullptr);
        if (button && button->GetValue()) return position;
        ++position;
    }
    return 0;
}
