#include "dialogs/form_dialog.h"

#include <utility>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/radiobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "toolkit/bitmap_radio.h"
#include "toolkit/flow_panel.h"
#include "toolkit/list_rows.h"
#include "toolkit/panel_items.h"

namespace {

wxString from_utf8(const char* text) { return wxString::FromUTF8(text ? text : ""); }

wxArrayString array_of(const std::vector<std::string>& entries) {
    wxArrayString array;
    for (const std::string& e : entries) array.Add(wxString::FromUTF8(e));
    return array;
}

// Sets the entries of a choice or list box when they differ from the shown
// ones (a refill keeps the scroll position of an unchanged list).
template <class Items>
void set_entries(Items* items, const std::vector<std::string>& entries) {
    bool same = items->GetCount() == entries.size();
    for (unsigned i = 0; same && i < entries.size(); ++i)
        same = items->GetString(i).utf8_string() == entries[i];
    if (!same) items->Set(array_of(entries));
}

}  // namespace

FormDialog::FormDialog(wxWindow* parent, const char* title, const char* window_name, long style,
                       bool modal, Form form, Command command, OnClose on_close)
    : EnhancedDialog(parent, from_utf8(title), modal, -1, -1, std::move(on_close), -1, 0, 0, style,
                     from_utf8(window_name)),
      form_(std::move(form)),
      command_(std::move(command)) {}

void FormDialog::BuildRows() {
    const std::vector<FormRow>& rows = form_.rows();
    items_.assign(rows.size(), nullptr);
    listed_.assign(rows.size(), {});
    FlowPanel* panel = UserPanel();
    std::vector<FlowPanel*> outer;
    auto report = [this](long client) {
        return [this, client](wxCommandEvent&) {
            if (command_) command_(client);
        };
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        const FormRow& row = rows[i];
        const FieldValue& value = form_.value_at(i);
        const wxString label = from_utf8(row.label);
        wxWindow* item = nullptr;
        switch (row.kind) {
            case RowKind::TEXT: {
                auto* text = new wxTextCtrl(panel, wxID_ANY, wxString::FromUTF8(value.text));
                // As wide as its sample, whatever the loaded text.
                int sample = text->GetTextExtent(from_utf8(row.sample)).x;
                text->SetMinSize(text->GetSizeFromTextSize(sample));
                if (row.client) text->Bind(wxEVT_TEXT, report(row.client));
                item = panel->Add(text, label);
                break;
            }
            case RowKind::CHECK: {
                auto* box = new wxCheckBox(panel, wxID_ANY, label);
                if (row.client) box->Bind(wxEVT_CHECKBOX, report(row.client));
                item = panel->Add(box);
                break;
            }
            case RowKind::CHOICE: {
                auto* choice = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                            array_of(value.entries));
                if (row.client) choice->Bind(wxEVT_CHOICE, report(row.client));
                item = panel->Add(choice, label);
                break;
            }
            case RowKind::LIST:
            case RowKind::PICK: {
                const long style = row.kind == RowKind::PICK ? wxLB_SINGLE : wxLB_MULTIPLE;
                auto* list =
                    new wxListBox(panel, wxID_ANY, wxDefaultPosition, wxSize(row.min, row.max), 0,
                                  nullptr, style | wxLB_ALWAYS_SB);
                list->SetMinSize(wxSize(row.min, row.max));
                list_set_rows(list, value.entries);
                listed_[i] = value.entries;
                if (row.client) list->Bind(wxEVT_LISTBOX, report(row.client));
                item = panel->Add(list, label);
                break;
            }
            case RowKind::RADIO: {
                auto* radio = new wxRadioBox(panel, wxID_ANY, label, wxDefaultPosition,
                                             wxDefaultSize, array_of(value.entries),
                                             row.min > 0 ? row.min : 1, wxRA_SPECIFY_COLS);
                if (row.client) radio->Bind(wxEVT_RADIOBOX, report(row.client));
                item = panel->Add(radio);
                break;
            }
            case RowKind::BITMAP_RADIO: {
                auto* radio = new BitmapRadioBox(panel, value.entries, row.min);
                if (row.client) radio->Bind(wxEVT_RADIOBOX, report(row.client));
                item = panel->Add(radio, label);
                break;
            }
            case RowKind::LABEL:
                if (row.field && row.sample) {
                    // A message: as wide as its sample whatever it shows.
                    auto* message = new wxStaticText(
                        panel, wxID_ANY, wxString::FromUTF8(value.text), wxDefaultPosition,
                        wxDefaultSize, wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
                    wxSize size = message->GetTextExtent(from_utf8(row.sample));
                    size.IncTo(message->GetBestSize());
                    message->SetMinSize(size);
                    item = panel->Add(message);
                } else {
                    item = panel->AddLabel(label);
                }
                break;
            case RowKind::AREA: {
                auto* area =
                    new wxPanel(panel, wxID_ANY, wxDefaultPosition, wxSize(row.min, row.max));
                area->SetMinSize(wxSize(row.min, row.max));
                item = panel->Add(area, label);
                break;
            }
            case RowKind::BUTTON: {
                auto* button = new wxButton(panel, wxID_ANY, label);
                button->Bind(wxEVT_BUTTON, report(row.client));
                item = panel->Add(button);
                break;
            }
            case RowKind::NEW_LINE: panel->NewLine(row.min > 0 ? row.min : 10); break;
            case RowKind::LABELS_ABOVE: panel->SetLabelPosition(LabelPosition::ABOVE); break;
            case RowKind::LABELS_BESIDE: panel->SetLabelPosition(LabelPosition::BESIDE); break;
            case RowKind::SPACING: panel->SetSpacing(row.min, row.max); break;
            case RowKind::TAB: panel->Tab(row.min); break;
            case RowKind::SKIP: panel->Skip(row.min); break;
            case RowKind::SUB_PANEL:
                outer.push_back(panel);
                panel = panel->NewSubPanel(row.min, row.max);
                break;
            case RowKind::END_PANEL:
                if (!outer.empty()) {
                    FlowPanel* sub = panel;
                    panel = outer.back();
                    outer.pop_back();
                    panel->AddSubPanel(sub, label);
                }
                break;
            case RowKind::SECOND_PANEL:
                outer.clear();
                panel = AddSecondUserPanel();
                break;
            case RowKind::DIALOG_BUTTON: {
                wxButton* button = AddButton(
                    label,
                    [this](EnhancedDialog&, long client) {
                        if (command_) command_(client);
                    },
                    row.client);
                // The first button is the dialog's main action: Enter presses it.
                if (!GetDefaultItem()) button->SetDefault();
                item = button;
                break;
            }
            case RowKind::BUTTON_SPACE: AddButtonSpace(row.min); break;
        }
        items_[i] = item;
    }
}

void FormDialog::Fill(bool initial) {
    const std::vector<FormRow>& rows = form_.rows();
    wxTextCtrl* focus = nullptr;
    for (size_t i = 0; i < rows.size() && i < items_.size(); ++i) {
        wxWindow* item = items_[i];
        if (!item) continue;
        const FieldValue& value = form_.value_at(i);
        switch (rows[i].kind) {
            case RowKind::TEXT:
                control_set_text(item, value.text.c_str());
                if (rows[i].select_all && initial) {
                    auto* text = static_cast<wxTextCtrl*>(item);
                    text->SelectAll();
                    if (!focus) focus = text;
                }
                break;
            case RowKind::CHECK:
            case RowKind::RADIO:
            case RowKind::BITMAP_RADIO: control_set_value(item, value.number); break;
            case RowKind::LABEL:
                if (rows[i].field && rows[i].sample) control_set_text(item, value.text.c_str());
                break;
            case RowKind::CHOICE: {
                auto* choice = static_cast<wxChoice*>(item);
                set_entries(choice, value.entries);
                control_set_value(choice, value.number);
                break;
            }
            case RowKind::LIST:
            case RowKind::PICK: {
                auto* list = static_cast<wxListBox*>(item);
                // A refill of the same entries keeps the scroll position.
                if (listed_[i] != value.entries) {
                    list_set_rows(list, value.entries);
                    listed_[i] = value.entries;
                }
                list_select_rows(list, value.selected);
                break;
            }
            default: break;
        }
        if (item->IsEnabled() != value.enabled) item->Enable(value.enabled);
    }
    if (focus) focus->SetFocus();
}

void FormDialog::Read() {
    const std::vector<FormRow>& rows = form_.rows();
    for (size_t i = 0; i < rows.size() && i < items_.size(); ++i) {
        wxWindow* item = items_[i];
        if (!item) continue;
        FieldValue& value = form_.value_at(i);
        switch (rows[i].kind) {
            case RowKind::TEXT: value.text = control_get_text(item); break;
            case RowKind::CHECK:
            case RowKind::CHOICE:
            case RowKind::RADIO:
            case RowKind::BITMAP_RADIO: value.number = control_get_value(item); break;
            case RowKind::LIST:
            case RowKind::PICK:
                value.selected = list_selected_rows(static_cast<wxListBox*>(item));
                break;
            default: break;
        }
    }
}

wxWindow* FormDialog::Item(int field) const {
    const std::vector<FormRow>& rows = form_.rows();
    for (size_t i = 0; i < rows.size() && i < items_.size(); ++i)
        if (field != 0 && rows[i].field == field) return items_[i];
    return nullptr;
}

wxWindow* FormDialog::ButtonFor(long client) const {
    const std::vector<FormRow>& rows = form_.rows();
    for (size_t i = 0; i < rows.size() && i < items_.size(); ++i)
        if (client != 0 && rows[i].client == client &&
            (rows[i].kind == RowKind::BUTTON || rows[i].kind == RowKind::DIALOG_BUTTON))
            return items_[i];
    return nullptr;
}
