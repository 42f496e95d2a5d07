#include "toolkit/panel_items.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobox.h>
#include <wx/scrolbar.h>
#include <wx/slider.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textentry.h>
#include <wx/window.h>

#include "foundation/core.h"
#include "foundation/services.h"
#include "toolkit/bitmap_radio.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/flow_panel.h"

namespace {

constexpr size_t format_buffer_size = 1024;

// printf into the 1 KB buffer the helpers format into; a longer text is cut.
struct Formatted {
    char text[format_buffer_size];
    Formatted(const char* format, va_list args) { std::vsnprintf(text, sizeof text, format, args); }
};

}  // namespace

void select_file_into(wxWindow* parent, wxWindow* text_item, const char* directory,
                      const char* wildcard, const char* message) {
    std::string chosen;
    if (services().file_selector(message, directory, nullptr, nullptr, wildcard, 0, parent,
                                 &chosen))
        control_set_text(text_item, chosen.c_str());
}

int control_get_value(wxWindow* item) {
    if (!item) return 0;
    if (auto* box = dynamic_cast<wxCheckBox*>(item)) return box->GetValue() ? 1 : 0;
    if (auto* choice = dynamic_cast<wxChoice*>(item)) return choice->GetSelection();
    if (auto* radio = dynamic_cast<wxRadioBox*>(item)) return radio->GetSelection();
    if (auto* radio = dynamic_cast<BitmapRadioBox*>(item)) return radio->GetSelection();
    if (auto* slider = dynamic_cast<wxSlider*>(item)) return slider->GetValue();
    TN_ASSERT(!"control_get_value on an item without a value");
    return 0;
}

void control_set_value(wxWindow* item, int value) {
    if (!item || control_get_value(item) == value) return;
    // An index the item does not have changes nothing (the toolkit would stop
    // on an assertion).
    if (auto* box = dynamic_cast<wxCheckBox*>(item)) {
        box->SetValue(value != 0);
    } else if (auto* choice = dynamic_cast<wxChoice*>(item)) {
        if (value >= -1 && value < static_cast<int>(choice->GetCount()))
            choice->SetSelection(value);
    } else if (auto* radio = dynamic_cast<wxRadioBox*>(item)) {
        if (value >= 0 && value < static_cast<int>(radio->GetCount())) radio->SetSelection(value);
    } else if (auto* radio = dynamic_cast<BitmapRadioBox*>(item)) {
        radio->SetSelection(value);
    } else if (auto* slider = dynamic_cast<wxSlider*>(item)) {
        slider->SetValue(value);
    }
}

std::string control_get_text(wxWindow* item) {
    if (!item) return {};
    if (auto* entry = dynamic_cast<wxTextEntry*>(item)) return entry->GetValue().utf8_string();
    if (auto* label = dynamic_cast<wxStaticText*>(item)) return label->GetLabelText().utf8_string();
    TN_ASSERT(!"control_get_text on an item without a text");
    return {};
}

char* control_get_text_into(wxWindow* item, char* buffer, size_t size) {
    if (!buffer || size == 0) return buffer;
    std::string text = control_get_text(item);
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return buffer;
}

void control_set_text(wxWindow* item, const char* text) {
    if (!item) return;
    if (!text) text = "";
    if (control_get_text(item) == text) return;
    wxString value = wxString::FromUTF8(text);
    // ChangeValue: the program's own change must not look like the user's.
    if (auto* entry = dynamic_cast<wxTextEntry*>(item))
        entry->ChangeValue(value);
    else if (auto* label = dynamic_cast<wxStaticText*>(item))
        label->SetLabelText(value);
}

void control_printf(wxWindow* item, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Formatted text(format, args);
    va_end(args);
    control_set_text(item, text.text);
}

int control_step_number(wxWindow* item, std::string* text, int step, const char* format, int min,
                        int max) {
    int value = control_step_value(control_get_text(item).c_str(), step, min, max);
    char written[format_buffer_size];
    std::snprintf(written, sizeof written, format, value);
    control_set_text(item, written);
    if (text) *text = written;
    return value;
}

std::string window_get_label(wxWindow* window) {
    return window ? window->GetLabel().utf8_string() : std::string();
}

void window_printf(wxWindow* window, const char* format, ...) {
    if (!window) return;
    va_list args;
    va_start(args, format);
    Formatted text(format, args);
    va_end(args);
    if (window_get_label(window) != text.text) window->SetLabel(wxString::FromUTF8(text.text));
}

wxScrollBar* add_scroll_bar(FlowPanel* panel, const char* label, bool vertical, int length,
                            int range, int page, int position) {
    if (!panel) return nullptr;
    wxSize size = vertical ? wxSize(-1, length) : wxSize(length, -1);
    auto* bar = new wxScrollBar(panel, wxID_ANY, wxDefaultPosition, size,
                                vertical ? wxSB_VERTICAL : wxSB_HORIZONTAL);
    if (range < 1) range = 1;
    if (page < 1) page = 1;
    bar->SetScrollbar(std::clamp(position, 0, range - 1), page, range, page);
    bar->SetMinSize(size);
    panel->Add(bar, wxString::FromUTF8(label ? label : ""));
    return bar;
}

wxStaticLine* add_separator(FlowPanel* panel, bool vertical, int length) {
    if (!panel) return nullptr;
    if (length < 1) length = 1;
    wxSize size = vertical ? wxSize(2, length) : wxSize(length, 2);
    auto* line = new wxStaticLine(panel, wxID_ANY, wxDefaultPosition, size,
                                  vertical ? wxLI_VERTICAL : wxLI_HORIZONTAL);
    line->SetMinSize(size);
    if (!vertical) panel->NewLine(0);
    panel->Add(line);
    if (!vertical) panel->NewLine(0);
    return line;
}
