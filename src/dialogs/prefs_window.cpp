// The Preferences sheet on the display: its eight pages made from the
// pages' rows and operations (dialogs/forms/prefs_pages.h), each control writing
// its live value as the user changes it.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/font_choice.h"
#include "dialogs/forms/prefs_pages.h"
#include "dialogs/resource_dialogs.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/items/item.h"
#include "render/colour_table.h"
#include "toolkit/asking.h"
#include "toolkit/cell_tree.h"
#include "toolkit/colour_swatch.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/property_sheet.h"
#include "toolkit/res_dialogs.h"

namespace {

wxString text_of(const std::string& text) { return wxString::FromUTF8(text); }
wxString text_of(const char* text) { return wxString::FromUTF8(text ? text : ""); }
std::string utf8(const wxString& text) { return text.utf8_string(); }

// --- what the pages ask of the program ----------------------------------------------------------

Schema* current_sheet() {
    EditCanvas* canvas = application().current_canvas();
    return canvas && canvas->kind == CANVAS_SHEET ? canvas->mySchema : nullptr;
}

class ProgramHost : public PrefsHost {
public:
    void reload_view_options() override { application().all_views_load_options(); }
    int document_sheet_size() override {
        Schema* doc = current_sheet();
        return doc ? schema_sheet_size(doc) : -1;
    }
    void set_document_sheet_size(int size) override {
        Schema* doc = current_sheet();
        if (!doc) return;
        doc->sheet_size = static_cast<int8_t>(size);
        schema_build_frame(doc);
        EditCanvas* canvas = application().current_canvas();
        application().mark_modified(canvas);
        application().redraw(canvas, doc);
    }
    void autosave_stop() override { application().autosave_stop(); }
    void autosave_start() override { application().autosave_start(); }
    void resize_palette() override { application().rebuild_palette(0); }
    void power_symbols_refresh() override {
        Schema* doc = current_sheet();
        if (!doc || !doc->current) return;
        for (SchItem* item : list_items<SchItem>(doc->current->items))
            if (item->type == POWER_ITEM) power_build_symbol(doc, as_Power(item));
    }
    void bell() override { beep(); }
};

// --- the plain pages, made from their rows ----------------------------------------------------------

class PlainPage : public wxPanel {
public:
    PlainPage(wxWindow* parent, int page, PrefsSheet& sheet)
        : wxPanel(parent), page_(page), sheet_(sheet) {
        Build();
        Fill();
    }

    void Fill() {
        filling_ = true;
        for (const auto& [row, control] : bound_) {
            const PrefValue v = prefs_row_value(*row, sheet_.state());
            control->Enable(v.enabled);
            if (auto* check = dynamic_cast<wxCheckBox*>(control)) check->SetValue(v.number != 0);
            if (auto* radio = dynamic_cast<wxRadioButton*>(control)) {
                if (v.number) radio->SetValue(true);
            }
            if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) {
                if (edit->GetValue() != text_of(v.text)) edit->ChangeValue(text_of(v.text));
            }
            if (auto* choice = dynamic_cast<wxChoice*>(control)) choice->SetSelection(v.number);
        }
        filling_ = false;
    }

private:
    struct Frame {
        wxSizer* sizer;
        wxWindow* parent;
    };

    void Build() {
        auto* top = new wxBoxSizer(wxVERTICAL);
        std::vector<Frame> stack{{top, this}};
        wxFlexGridSizer* grid = nullptr;  // the labels and fields being laid out
        const PrefRow* last = nullptr;
        int groups = 0;  // how deep in groups the row stands
        const int gap = FromDIP(4);
        for (const PrefRow& row : prefs_page_rows(page_)) {
            const Frame at = stack.back();  // a copy: pushing moves the stack
            if (row.item != PrefItem::EDIT && row.item != PrefItem::CHOICE) grid = nullptr;
            switch (row.item) {
                case PrefItem::COLUMNS: {
                    auto* columns = new wxBoxSizer(wxHORIZONTAL);
                    at.sizer->Add(columns, 0, wxEXPAND);
                    auto* column = new wxBoxSizer(wxVERTICAL);
                    columns->Add(column, 1, wxEXPAND | wxRIGHT, gap);
                    stack.push_back({columns, at.parent});
                    stack.push_back({column, at.parent});
                    break;
                }
                case PrefItem::NEXT_COLUMN: {
                    stack.pop_back();
                    auto* column = new wxBoxSizer(wxVERTICAL);
                    stack.back().sizer->Add(column, 1, wxEXPAND | wxRIGHT, gap);
                    stack.push_back({column, stack.back().parent});
                    break;
                }
                case PrefItem::END_COLUMNS:
                    stack.pop_back();
                    stack.pop_back();
                    break;
                case PrefItem::GROUP: {
                    // A group within a group is a titled column, not another box.
                    wxSizer* group;
                    if (groups++ == 0) {
                        group = new wxStaticBoxSizer(wxVERTICAL, at.parent, text_of(row.label));
                    } else {
                        group = new wxBoxSizer(wxVERTICAL);
                        group->Add(new wxStaticText(at.parent, wxID_ANY, text_of(row.label)), 0,
                                   wxTOP, gap);
                    }
                    at.sizer->Add(group, 0, wxEXPAND | wxBOTTOM, gap);
                    stack.push_back({group, at.parent});
                    break;
                }
                case PrefItem::END_GROUP:
                    --groups;
                    stack.pop_back();
                    break;
                case PrefItem::CHECK: {
                    auto* check = new wxCheckBox(at.parent, row.id, text_of(row.label));
                    at.sizer->Add(check, 0, wxALL, gap / 2);
                    check->Bind(wxEVT_CHECKBOX, [this, &row](wxCommandEvent& e) {
                        Changed(row, e.IsChecked() ? 1 : 0, {});
                    });
                    bound_.emplace_back(&row, check);
                    break;
                }
                case PrefItem::RADIO: {
                    const bool first =
                        !last || last->item != PrefItem::RADIO || last->property != row.property;
                    auto* radio =
                        new wxRadioButton(at.parent, row.id, text_of(row.label), wxDefaultPosition,
                                          wxDefaultSize, first ? wxRB_GROUP : 0);
                    at.sizer->Add(radio, 0, wxALL, gap / 2);
                    radio->Bind(wxEVT_RADIOBUTTON,
                                [this, &row](wxCommandEvent&) { Changed(row, 1, {}); });
                    bound_.emplace_back(&row, radio);
                    break;
                }
                case PrefItem::EDIT:
                case PrefItem::CHOICE: {
                    if (!grid) {
                        grid = new wxFlexGridSizer(2, gap, gap);
                        grid->AddGrowableCol(1);
                        at.sizer->Add(grid, 0, wxEXPAND | wxALL, gap / 2);
                    }
                    grid->Add(new wxStaticText(at.parent, wxID_ANY, text_of(row.label)), 0,
                              wxALIGN_CENTER_VERTICAL);
                    wxWindow* control;
                    if (row.item == PrefItem::EDIT) {
                        auto* edit = new wxTextCtrl(at.parent, row.id);
                        edit->Bind(wxEVT_TEXT, [this, &row](wxCommandEvent& e) {
                            Changed(row, 0, utf8(e.GetString()));
                        });
                        control = edit;
                    } else {
                        wxArrayString entries;
                        for (const wxString& entry : wxSplit(text_of(row.entries), '\n'))
                            entries.Add(entry);
                        auto* choice = new wxChoice(at.parent, row.id, wxDefaultPosition,
                                                    wxDefaultSize, entries);
                        choice->Bind(wxEVT_CHOICE, [this, &row](wxCommandEvent& e) {
                            Changed(row, e.GetSelection(), {});
                        });
                        control = choice;
                    }
                    grid->Add(control, 1, wxEXPAND);
                    bound_.emplace_back(&row, control);
                    break;
                }
                case PrefItem::BUTTON: {
                    auto* button = new wxButton(at.parent, row.id, text_of(row.label));
                    at.sizer->Add(button, 0, wxALL, gap / 2);
                    button->Bind(wxEVT_BUTTON, [this, &row](wxCommandEvent&) { Button(row.id); });
                    break;
                }
                case PrefItem::NOTE:
                    at.sizer->Add(new wxStaticText(at.parent, wxID_ANY, text_of(row.label)), 0,
                                  wxLEFT | wxRIGHT, gap / 2);
                    break;
            }
            last = &row;
        }
        SetSizer(top);
    }

    void Changed(const PrefRow& row, int number, const std::string& text) {
        if (filling_) return;
        if (prefs_row_changed(row, number, text, &sheet_.state())) Fill();
    }

    void Button(int id) {
        if (id == MISC_BROWSE) {
            log_file_browse();
            return;
        }
        if (sheet_.page_command(page_, id)) Fill();
    }

    // The log file chosen in the file chooser.
    void log_file_browse() {
        FileRequest request;
        request.message = "File to Open:";
        request.directory = dir_in_use(DIR_PROJECT);
        request.filters.push_back({"Log", suffix_wildcard(EXT_LOG), full_dir_path(DIR_PROJECT)});
        request.flags = FILE_SELECT_OPEN | FILE_SELECT_HIDE_READ_ONLY;
        request.parent = this;
        FileAnswer answer;
        if (!ask_file(request, &answer)) return;
        if (auto* edit = dynamic_cast<wxTextCtrl*>(FindWindow(MISC_LOG_FILE)))
            edit->ChangeValue(text_of(answer.path));
        proper_set_live(LOGFILE, answer.path, 0);
    }

    int page_;
    PrefsSheet& sheet_;
    bool filling_ = false;
    std::vector<std::pair<const PrefRow*, wxWindow*>> bound_;
};

// --- Text Prop. --------------------------------------------------------------------------------------

enum : int { TEXT_TREE = 1098, TEXT_FONT = 1096, TEXT_VISIBLE = 1094, TEXT_COLOUR = 1100 };

class TextPage : public wxPanel {
public:
    explicit TextPage(wxWindow* parent) : wxPanel(parent) {
        const int gap = FromDIP(4);
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(new wxStaticText(this, wxID_ANY, wxS("Select Objects:")), 0, wxBOTTOM, gap);
        tree_ = new CellTree(this, TEXT_TREE,
                             {{wxS("Object"), 130},
                              {wxS("Object Properties"), 200},
                              {wxS("Color"), 50, CellTree::ColumnKind::COLOUR},
                              {wxS("Visible"), -1}},
                             FromDIP(wxSize(470, 290)));
        column->Add(tree_, 1, wxEXPAND);
        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        auto* font = new wxButton(this, TEXT_FONT, wxS("Font"));
        buttons->Add(font, 0, wxRIGHT, gap);
        buttons->Add(new wxStaticText(this, wxID_ANY, wxS("Visible")), 0,
                     wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
        wxArrayString yes_no;
        yes_no.Add(wxS("Yes"));
        yes_no.Add(wxS("No"));
        visible_ = new wxChoice(this, TEXT_VISIBLE, wxDefaultPosition, wxDefaultSize, yes_no);
        buttons->Add(visible_, 0, wxRIGHT, gap);
        auto* colour = new wxButton(this, TEXT_COLOUR, wxS("Color"));
        buttons->Add(colour, 0);
        column->Add(buttons, 0, wxTOP | wxBOTTOM, gap);
        column->Add(new wxStaticText(this, wxID_ANY,
                                     wxS("Select an object from the list, and click the Font or "
                                         "Color button ")));
        column->Add(
            new wxStaticText(this, wxID_ANY, wxS("to change the properties of that item.")));
        SetSizer(column);

        for (int row = 0; row < TEXT_KIND_COUNT; ++row)
            tree_->AddRow({text_of(TEXT_KINDS[row].label), {}, {}, {}});
        for (int row = 0; row < TEXT_KIND_COUNT; ++row) text_row_update(row);
        visible_->SetSelection(0);

        tree_->on_select = [this](int row) { Selected(row); };
        visible_->Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) {
            const int row = tree_->Selection();
            text_kind_set_visible(row, e.GetSelection());
            text_row_update(row);
        });
        font->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseFont(); });
        colour->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseColour(); });
    }

private:
    void text_row_update(int row) {
        if (row < 0 || row >= TEXT_KIND_COUNT) return;
        tree_->SetCell(row, 1, text_of(text_font_describe(row)));
        tree_->SetColour(row, 2, colour_of_control(TEXT_COLOUR_FIRST + row));
        tree_->SetCell(row, 3, text_of(text_visible_cell(row)));
    }

    void Selected(int row) {
        const std::string visible = text_visible_cell(row);
        const bool has = row >= 0 && visible != "N/A";
        visible_->Enable(has);
        if (has) visible_->SetSelection(visible == "Yes" ? 0 : 1);
    }

    void ChooseFont() {
        const int row = tree_->Selection();
        if (row < 0) {
            beep();
            return;
        }
        const int id = register_document_font(this, &system_fonts, text_kind_font(row));
        text_kind_set_font(row, id);
        // The first row's font may have gone to the others.
        for (int r = 0; r < TEXT_KIND_COUNT; ++r) text_row_update(r);
    }

    void ChooseColour() {
        const int row = tree_->Selection();
        if (row < 0) {
            beep();
            return;
        }
        wxColour colour = colour_by_rgb(colour_of_control(TEXT_COLOUR_FIRST + row));
        if (choose_colour(&colour)) {
            const uint32_t rgb = rgb_of(colour);
            colour_add(rgb);
            colour_of_control_set(TEXT_COLOUR_FIRST + row, rgb);
        }
        text_row_update(row);
    }

    CellTree* tree_;
    wxChoice* visible_;
};

// --- Object Props. -------------------------------------------------------------------------------------

class ObjectPage : public wxPanel {
public:
    ObjectPage(wxWindow* parent, PrefsSheet& sheet) : wxPanel(parent) {
        const int gap = FromDIP(4);
        auto* grid = new wxFlexGridSizer(8, gap, FromDIP(6));
        for (int half = 0; half < 2; ++half)
            for (const char* title : {"Object", "Visible", "Color", "Size"})
                grid->Add(new wxStaticText(this, wxID_ANY, text_of(title)), 0, wxBOTTOM, gap);
        const int per_column = (OBJECT_KIND_COUNT + 1) / 2;
        for (int line = 0; line < per_column; ++line) {
            for (int half = 0; half < 2; ++half) {
                const int row = line + half * per_column;
                if (row >= OBJECT_KIND_COUNT) {
                    for (int k = 0; k < 4; ++k) grid->AddSpacer(0);
                    continue;
                }
                const ObjectKind& kind = OBJECT_KINDS[row];
                grid->Add(new wxStaticText(this, wxID_ANY, text_of(kind.label)), 0,
                          wxALIGN_CENTER_VERTICAL);
                if (kind.visible_property) {
                    auto* check = new wxCheckBox(this, kind.visible_id, wxString());
                    check->SetValue(proper_get(kind.visible_property) != 0);
                    check->Bind(wxEVT_CHECKBOX, [&kind](wxCommandEvent& e) {
                        proper_set_live(kind.visible_property, e.IsChecked() ? 1 : 0, 0);
                    });
                    grid->Add(check, 0, wxALIGN_CENTER);
                } else {
                    grid->AddSpacer(0);
                }
                if (kind.colour_property) {
                    auto* swatch =
                        new ColourSwatch(this, kind.colour_id, colour_of_control(kind.colour_id));
                    swatch->on_change = [&kind](uint32_t rgb) {
                        colour_add(rgb);
                        colour_of_control_set(kind.colour_id, rgb);
                    };
                    grid->Add(swatch, 0, wxALIGN_CENTER);
                } else {
                    grid->AddSpacer(0);
                }
                if (kind.width_property) {
                    auto* size = new wxChoice(this, kind.size_id);
                    width_choice_fill(size, proper_get(kind.width_property));
                    size->Bind(wxEVT_CHOICE, [&sheet, row](wxCommandEvent& e) {
                        object_kind_set_width(row, e.GetSelection(), &sheet.state());
                    });
                    grid->Add(size, 0);
                } else {
                    grid->AddSpacer(0);
                }
            }
        }
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(grid, 0, wxALL, gap);
        SetSizer(column);
    }

private:
    // The 17 widths, the entry of the width chosen.
    static void width_choice_fill(wxChoice* size, int32_t width) {
        size->Clear();
        for (int i = 0; i < WIDTH_CHOICES; ++i) size->Append(text_of(width_choice_label(i)));
        size->SetSelection(width_choice_index(width));
    }
};

// --- Attribute Names ---------------------------------------------------------------------------------------

enum : int {
    NAMES_TREE = 1036,
    NAMES_EDIT = 1037,
    NAMES_ADD = 1033,
    NAMES_DELETE = 1034,
    NAMES_RENAME = 1035
};

class NamesPage : public wxPanel {
public:
    explicit NamesPage(wxWindow* parent) : wxPanel(parent) {
        const int gap = FromDIP(4);
        auto* column = new wxBoxSizer(wxVERTICAL);
        tree_ =
            new CellTree(this, NAMES_TREE, {{wxS("Attribute"), 120}, {wxS("Attribute Name"), -1}},
                         FromDIP(wxSize(360, 220)));
        column->Add(tree_, 1, wxEXPAND | wxBOTTOM, gap);
        auto* line = new wxBoxSizer(wxHORIZONTAL);
        line->Add(new wxStaticText(this, wxID_ANY, wxS("Attibute Name:")), 0,
                  wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
        edit_ = new wxTextCtrl(this, NAMES_EDIT);
        line->Add(edit_, 1, wxRIGHT, gap);
        for (auto [id, label] : {std::pair{NAMES_ADD, "Add"}, std::pair{NAMES_DELETE, "Delete"},
                                 std::pair{NAMES_RENAME, "Edit"}}) {
            auto* button = new wxButton(this, id, text_of(label));
            line->Add(button, 0, wxRIGHT, gap);
            button->Bind(wxEVT_BUTTON, [this, id = id](wxCommandEvent&) { Command(id); });
        }
        column->Add(line, 0, wxEXPAND | wxBOTTOM, gap);
        for (const char* note :
             {"To Create: Type in a name in the edit field, then press the Add button.",
              "To Edit: Click on an entry in the list box. When you are finished,",
              "push the Edit button."})
            column->Add(new wxStaticText(this, wxID_ANY, text_of(note)));
        SetSizer(column);
        tree_->on_select = [this](int row) {
            if (row >= 0) edit_->ChangeValue(tree_->Cell(row, 1));
        };
        Fill();
    }

private:
    void Fill() {
        tree_->Clear();
        const std::vector<std::string> names = user_field_names();
        for (size_t i = 0; i < names.size(); ++i)
            tree_->AddRow({wxString::Format(wxS("Attribute #%d"), static_cast<int>(i) + 1),
                           text_of(names[i])});
    }

    void Command(int id) {
        const std::string text = utf8(edit_->GetValue());
        const int row = tree_->Selection();
        bool changed = false;
        if (id == NAMES_ADD) changed = field_name_add(text);
        if (id == NAMES_DELETE) changed = field_name_delete(row);
        if (id == NAMES_RENAME) changed = field_name_rename(text, row);
        if (changed) Fill();
    }

    CellTree* tree_;
    wxTextCtrl* edit_;
};

// --- File Locations ----------------------------------------------------------------------------------------

enum : int {
    DIR_TREE = 1124,
    DIR_DRIVES = 1128,
    PROJECT_EDIT = 1125,
    PROJECT_LIST = 1122,
    PROJECT_ADD = 1126,
    PROJECT_DELETE = 1127,
    LIBRARY_EDIT = 1121,
    LIBRARY_LIST = 1123,
    LIBRARY_ADD = 1119,
    LIBRARY_DELETE = 1120,
};

enum : int { ICON_CLOSED, ICON_OPEN, ICON_VOLUME };

class LocationsPage : public wxPanel {
public:
    explicit LocationsPage(wxWindow* parent) : wxPanel(parent) {
        const int gap = FromDIP(4);
        auto* columns = new wxBoxSizer(wxHORIZONTAL);

        auto* left = new wxBoxSizer(wxVERTICAL);
        left->Add(new wxStaticText(this, wxID_ANY, wxS("Directories")), 0, wxBOTTOM, gap);
        tree_ = new CellTree(this, DIR_TREE, {{wxS("Directories"), -1}}, FromDIP(wxSize(220, 260)),
                             false);
        const wxSize icon = FromDIP(wxSize(16, 16));
        tree_->SetIcons({wxArtProvider::GetBitmap(wxART_FOLDER, wxART_OTHER, icon),
                         wxArtProvider::GetBitmap(wxART_FOLDER_OPEN, wxART_OTHER, icon),
                         wxArtProvider::GetBitmap(wxART_HARDDISK, wxART_OTHER, icon)});
        left->Add(tree_, 1, wxEXPAND | wxBOTTOM, gap);
        left->Add(new wxStaticText(this, wxID_ANY, wxS("Drives")), 0, wxBOTTOM, gap);
        drives_ = new wxChoice(this, DIR_DRIVES);
        drive_combo_fill();
        left->Add(drives_, 0, wxEXPAND);
        columns->Add(left, 1, wxEXPAND | wxRIGHT, 2 * gap);

        auto* right = new wxBoxSizer(wxVERTICAL);
        AddSet(right, "Current Project Path", PROJECT_EDIT, PROJECT_LIST, PROJECT_ADD,
               PROJECT_DELETE, PROJECT_DIRECTORIES);
        AddSet(right, "Current Library Path", LIBRARY_EDIT, LIBRARY_LIST, LIBRARY_ADD,
               LIBRARY_DELETE, LIBRARY_DIRECTORIES);
        columns->Add(right, 2, wxEXPAND);
        SetSizer(columns);

        tree_->on_activate = [this](int row) { Navigate(dir_tree_path(row), true); };
        drives_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Navigate("/", false); });
        Navigate(strproper_get(DIR_PROJECT), false);
    }

    // One file system tree: its root is the only drive.
    void drive_combo_fill() {
        drives_->Clear();
        drives_->Append(wxS("/"));
        drives_->SetSelection(0);
    }

private:
    struct Set {
        wxTextCtrl* edit;
        wxListBox* list;
        const DirectoryList* directories;
    };

    void AddSet(wxBoxSizer* into, const char* label, int edit_id, int list_id, int add_id,
                int delete_id, const DirectoryList& directories) {
        const int gap = FromDIP(4);
        into->Add(new wxStaticText(this, wxID_ANY, text_of(label)), 0, wxBOTTOM, gap);
        Set set{new wxTextCtrl(this, edit_id), new wxListBox(this, list_id), &directories};
        into->Add(set.edit, 0, wxEXPAND | wxBOTTOM, gap);
        auto* line = new wxBoxSizer(wxHORIZONTAL);
        line->Add(set.list, 1, wxEXPAND | wxRIGHT, gap);
        auto* buttons = new wxBoxSizer(wxVERTICAL);
        auto* add = new wxButton(this, add_id, wxS("Add >>"));
        auto* remove = new wxButton(this, delete_id, wxS("Delete"));
        buttons->Add(add, 0, wxEXPAND | wxBOTTOM, gap);
        buttons->Add(remove, 0, wxEXPAND);
        line->Add(buttons, 0);
        into->Add(line, 1, wxEXPAND | wxBOTTOM, 2 * gap);

        set.edit->ChangeValue(text_of(strproper_get(directories.directory_property)));
        FillList(set);
        set.edit->Bind(wxEVT_TEXT, [this, set](wxCommandEvent& e) {
            // Typing takes over from the tree: Add >> takes the typed text.
            tree_->SelectRow(-1);
            proper_set_live(set.directories->directory_property, utf8(e.GetString()), 0);
        });
        set.list->Bind(wxEVT_LISTBOX, [set](wxCommandEvent& e) {
            set.edit->ChangeValue(e.GetString());
            proper_set_live(set.directories->directory_property, utf8(e.GetString()), 0);
        });
        add->Bind(wxEVT_BUTTON, [this, set](wxCommandEvent&) { Add(set); });
        remove->Bind(wxEVT_BUTTON, [this, set](wxCommandEvent&) { Delete(set); });
    }

    static void FillList(const Set& set) {
        set.list->Clear();
        for (const std::string& path : directory_list(*set.directories))
            set.list->Append(text_of(path));
    }

    // The tree: the chain from the root to the directory, then the
    // directory's own subdirectories; the directory gone into is selected
    // when asked, so that Add >> takes it.
    void Navigate(const std::string& wanted, bool select) {
        std::string path;
        const int depth = dir_tree_fill_path(wanted, &path);
        const int last = tree_->RowCount() - 1;
        dir_tree_add_subdirs(path, depth);
        if (select) tree_->SelectRow(last);
    }

    // The chain from the root to the directory (the root when it cannot be
    // entered), found without changing the working directory: the number of
    // rows added. *shown takes the directory's absolute path.
    int dir_tree_fill_path(const std::string& wanted, std::string* shown) {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::path path = fs::absolute(system_path(wanted.c_str()), error).lexically_normal();
        if (error || !fs::is_directory(path, error)) path = "/";
        *shown = path.string();
        tree_->Clear();
        tree_->AddRow({wxS("/")}, 0, ICON_VOLUME);
        int depth = 1;
        const char* cursor = shown->c_str();
        while (std::optional<std::string> part = path_next_component(&cursor))
            tree_->AddRow({text_of(*part)}, depth++, ICON_OPEN);
        return depth;
    }

    // The directory's subdirectories at that level, sorted ignoring case.
    void dir_tree_add_subdirs(const std::string& path, int depth) {
        namespace fs = std::filesystem;
        std::error_code error;
        std::vector<std::string> subdirs;
        for (fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (!name.empty() && name[0] != '.' && it->is_directory(error)) subdirs.push_back(name);
        }
        std::sort(subdirs.begin(), subdirs.end(), [](const std::string& a, const std::string& b) {
            return wxString::FromUTF8(a).CmpNoCase(wxString::FromUTF8(b)) < 0;
        });
        for (const std::string& name : subdirs) tree_->AddRow({text_of(name)}, depth, ICON_CLOSED);
    }

    // The full path of a tree row: its name after its parents' names.
    std::string dir_tree_path(int row) const {
        std::string path;
        for (int r = row; r >= 0; r = tree_->Parent(r)) {
            const std::string name = utf8(tree_->Cell(r, 0));
            if (name == "/")
                path = "/" + path;
            else
                path = path.empty() ? name : name + "/" + path;
        }
        return path;
    }

    void Add(const Set& set) {
        std::string path;
        const int row = tree_->Selection();
        if (row >= 0) {
            path = dir_tree_path(row);
            set.edit->ChangeValue(text_of(path));
        } else {
            path = utf8(set.edit->GetValue());
            if (path.empty()) return;
            std::error_code error;
            if (!std::filesystem::is_directory(system_path(path.c_str()), error)) {
                if (!warning_box(nullptr, 50100)) return;
                // Made where it is named, the working directory left alone.
                std::filesystem::create_directories(system_path(path.c_str()), error);
                if (!std::filesystem::is_directory(system_path(path.c_str()), error)) {
                    error_box(nullptr, "Error", MB_ICON_STOP, 50102, path.c_str());
                    return;
                }
            }
        }
        // The current directory's setting holds a path of this length at most.
        if (path.size() >= property_info(set.directories->directory_property).size) {
            beep();
            return;
        }
        const DirAdd added = dir_list_add(*set.directories, path);
        if (added == DirAdd::ADDED) set.list->Append(text_of(path));
        MarkChanged();
    }

    void Delete(const Set& set) {
        const int index = set.list->GetSelection();
        if (!dir_list_delete(*set.directories, index)) return;
        FillList(set);
        set.edit->ChangeValue(text_of(strproper_get(set.directories->directory_property)));
        MarkChanged();
    }

    void MarkChanged() { res_dialogs[RES_PREFERENCES].changed[PAGE_FILE_LOCATIONS] = true; }

    CellTree* tree_;
    wxChoice* drives_;
};

wxWindow* build_page(int page, wxWindow* parent, PrefsSheet& sheet) {
    switch (page) {
        case PAGE_FILE_LOCATIONS: return new LocationsPage(parent);
        case PAGE_TEXT: return new TextPage(parent);
        case PAGE_OBJECTS: return new ObjectPage(parent, sheet);
        case PAGE_ATTRIBUTES: return new NamesPage(parent);
        default: return new PlainPage(parent, page, sheet);
    }
}

}  // namespace

void show_preferences() {
    if (!res_dialog_begin(RES_PREFERENCES, application().current_canvas())) return;
    ResDialog& row = res_dialogs[RES_PREFERENCES];
    ProgramHost host;
    PrefsSheet sheet(host);
    std::vector<wxString> titles;
    for (int i = 0; i < row.page_count; ++i) titles.push_back(text_of(row.pages[i].title));

    PropertySheet::Hooks hooks;
    hooks.build = [&sheet](int page, wxWindow* parent) {
        // Both sheets open on the page shown last.
        proper_set(SETUP_CURRENT_TAB, page, 0);
        sheet.page_fill(page);
        wxWindow* window = build_page(page, parent, sheet);
        res_dialogs[RES_PREFERENCES].page_windows[page] = window;
        return window;
    };
    hooks.can_leave = [&sheet](int page) {
        return page != PAGE_FILE_LOCATIONS || file_locations_valid(sheet.state());
    };
    hooks.refused = [](int) { error_box(nullptr, "Error", MB_ICON_STOP, 50101); };
    hooks.ok = [&sheet] { sheet.ok(); };
    hooks.cancel = [&sheet] { sheet.sheet_cancel(); };
    hooks.apply = [&sheet](int page) {
        sheet.apply(page);
        application().repaint_all();
    };
    hooks.help = [](int page) { application().show_help(HELP_FILE, prefs_page_help(page)); };

    PropertySheet dialog(dialog_parent_window(), text_of(row.title), titles, true,
                         proper_get(SETUP_CURRENT_TAB), std::move(hooks), row.tab_control);
    res_dialog_opened(RES_PREFERENCES, &dialog);
    center_window_on(&dialog, application().main_window());
    ask_modal(&dialog);
    res_dialog_closed(&dialog);
    application().repaint_all();
}
