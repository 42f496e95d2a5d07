#include "toolkit/file_selectors.h"

#include <algorithm>

#include <wx/filedlg.h>

#include "foundation/services.h"
#include "toolkit/gui_services.h"

std::string filesel_filter_text(int count, const char* const* wildcards, const char* const* names) {
    if (count < 1 || !wildcards) return "All files (*)|*";
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string wildcard = wildcards[i] && *wildcards[i] ? wildcards[i] : "*";
        const char* name = names ? names[i] : nullptr;
        if (!text.empty()) text += '|';
        text += name && *name ? std::string(name) + " (" + wildcard + ")" : wildcard;
        text += '|';
        text += wildcard;
    }
    return text;
}

const char* filesel_multi(const char* message, const char* directory, const char* default_name,
                          const char* default_extension, int* filter, const char* const* wildcards,
                          const char* const* names, const char* const* directories, int flags,
                          wxWindow* parent, int x, int y, int default_index) {
    static std::string chosen;
    int count = filter ? *filter : 0;
    int index = count > 0 ? std::clamp(default_index, 0, count - 1) : 0;
    std::string dir = directory ? directory : "";
    if (directories && count > 0 && directories[index]) dir = directories[index];
    std::replace(dir.begin(), dir.end(), '\\', '/');
    wxFileDialog dialog(parent, wxString::FromUTF8(message ? message : ""), wxString::FromUTF8(dir),
                        wxString::FromUTF8(default_name ? default_name : ""),
                        wxString::FromUTF8(filesel_filter_text(count, wildcards, names)),
                        wx_style_from_file_flags(flags),
                        x >= 0 && y >= 0 ? wxPoint(x, y) : wxDefaultPosition);
    if (count > 0) dialog.SetFilterIndex(index);
    if (dialog.ShowModal() != wxID_OK) return nullptr;
    chosen = dialog.GetPath().utf8_string();
    // A save without a suffix takes the default one.
    if ((flags & FILE_SELECT_SAVE) && default_extension && *default_extension) {
        size_t slash = chosen.find_last_of('/');
        size_t dot = chosen.rfind('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
            if (*default_extension != '.') chosen += '.';
            chosen += default_extension;
        }
    }
    if (filter) *filter = count > 0 ? dialog.GetFilterIndex() : 0;
    return chosen.c_str();
}
