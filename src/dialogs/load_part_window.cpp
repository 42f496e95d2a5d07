// The Load Part sheet on the display: the Load Part page (libraries, a
// pattern, the parts found, a preview) and the Part Palette page.
#include <string>
#include <vector>

#include <wx/artprov.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/forms/load_part_logic.h"
#include "dialogs/forms/prefs_pages.h"
#include "dialogs/resource_dialogs.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "editor/gui/preview_canvas.h"
#include "editor/sheet_modes.h"
#include "foundation/properties.h"
#include "toolkit/asking.h"
#include "toolkit/cell_tree.h"
#include "toolkit/property_sheet.h"
#include "toolkit/res_dialogs.h"

namespace {

wxString text_of(const std::string& text) { return wxString::FromUTF8(text); }
std::string utf8(const wxString& text) { return text.utf8_string(); }

enum : int {
    LOAD_PREVIEW = 1201,
    LOAD_POWER = 1202,
    LOAD_CONVERTED = 1203,
    LOAD_LIBRARIES = 1204,
    LOAD_PARTS = 1205,
    LOAD_SEARCH = 1207,
    LOAD_PATTERN = 1208,
    LOAD_COUNT = 1219,
    PALETTE_LIBRARY = 1209,
    PALETTE_UP = 1210,
    PALETTE_DOWN = 1211,
    PALETTE_PARTS = 1212,
    PALETTE_ADD = 1213,
    PALETTE_DELETE = 1214,
    PALETTE_PREVIEW = 1215,
    PALETTE_TREE = 1216,
    PALETTE_CONVERTED = 1217,
};

wxSize preview_size(wxWindow* page) { return page->FromDIP(wxSize(210, 120)); }

// --- the Load Part page ----------------------------------------------------------------------

class LoadPage : public wxPanel {
public:
    explicit LoadPage(wxWindow* parent) : wxPanel(parent) {
        const int gap = FromDIP(4);
        auto* columns = new wxBoxSizer(wxHORIZONTAL);

        auto* left = new wxBoxSizer(wxVERTICAL);
        left->Add(new wxStaticText(this, wxID_ANY, wxS("Libraries")), 0, wxBOTTOM, gap);
        libraries_ =
            new wxListBox(this, LOAD_LIBRARIES, wxDefaultPosition, FromDIP(wxSize(160, 200)), 0,
                          nullptr, wxLB_EXTENDED | wxLB_SORT);
        left->Add(libraries_, 1, wxEXPAND | wxBOTTOM, gap);
        auto* find = new wxStaticBoxSizer(wxVERTICAL, this, wxS("Find Part"));
        pattern_ = new wxTextCtrl(this, LOAD_PATTERN, wxS("*"), wxDefaultPosition, wxDefaultSize,
                                  wxTE_PROCESS_ENTER);
        find->Add(pattern_, 0, wxEXPAND | wxBOTTOM, gap);
        auto* search = new wxButton(this, LOAD_SEARCH, wxS("Search"));
        find->Add(search, 0);
        left->Add(find, 0, wxEXPAND);
        columns->Add(left, 0, wxEXPAND | wxRIGHT, 2 * gap);

        auto* right = new wxBoxSizer(wxVERTICAL);
        right->Add(new wxStaticText(this, wxID_ANY, wxS("Parts")), 0, wxBOTTOM, gap);
        parts_ = new CellTree(this, LOAD_PARTS, {{wxS("Libraries"), 100}, {wxS("Parts"), -1}},
                              FromDIP(wxSize(260, 160)));
        right->Add(parts_, 1, wxEXPAND | wxBOTTOM, gap);
        count_ = new wxStaticText(this, LOAD_COUNT, text_of(parts_found_text(0)));
        right->Add(count_, 0, wxBOTTOM, gap);
        preview_ =
            new PreviewCanvas(this, -1, -1, preview_size(this).x, preview_size(this).y, 0x40, 1);
        preview_->SetId(LOAD_PREVIEW);
        preview_->SetMinSize(preview_size(this));
        right->Add(preview_, 0, wxEXPAND | wxBOTTOM, gap);
        auto* checks = new wxBoxSizer(wxHORIZONTAL);
        converted_ = new wxCheckBox(this, LOAD_CONVERTED, wxS("DeMorgan"));
        power_ = new wxCheckBox(this, LOAD_POWER, wxS("Visible Power"));
        checks->Add(new wxStaticText(this, wxID_ANY, wxS("Equivalent")), 0,
                    wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
        checks->Add(converted_, 0, wxRIGHT, 2 * gap);
        checks->Add(power_, 0);
        right->Add(checks, 0);
        columns->Add(right, 1, wxEXPAND);
        SetSizer(columns);

        // Fill.
        power_->SetValue(proper_get(PLACE_VPOWER) != 0);
        converted_->SetValue(proper_get(PLACE_CONVERTED) != 0);
        choose_libraries({});
        for (const std::string& name : library_directory_files()) libraries_->Append(text_of(name));

        power_->Bind(wxEVT_CHECKBOX, [](wxCommandEvent& e) {
            proper_set_live(PLACE_VPOWER, e.IsChecked() ? 1 : 0, 0);
        });
        converted_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) {
            proper_set_live(PLACE_CONVERTED, e.IsChecked() ? 1 : 0, 0);
            ShowSelected();
        });
        libraries_->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) {
            choose_libraries(Chosen());
            parts_search_fill();
        });
        search->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { parts_search_fill(); });
        pattern_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { parts_search_fill(); });
        parts_->on_select = [this](int) { ShowSelected(); };
    }

    CellTree* Parts() const { return parts_; }

private:
    std::vector<std::string> Chosen() const {
        wxArrayInt lines;
        libraries_->GetSelections(lines);
        std::vector<std::string> names;
        for (int line : lines)
            names.push_back(utf8(libraries_->GetString(static_cast<unsigned>(line))));
        return names;
    }

    void parts_search_fill() {
        int total = 0;
        const std::vector<FoundPart> found =
            search_parts(Chosen(), utf8(pattern_->GetValue()), &total);
        parts_->Clear();
        for (const FoundPart& part : found)
            parts_->AddRow({text_of(part.library), text_of(part.part)});
        count_->SetLabel(text_of(parts_found_text(total)));
    }

    void ShowSelected() {
        const int row = parts_->Selection();
        if (row < 0) return;
        preview_show_part(preview_, utf8(parts_->Cell(row, 0)).c_str(),
                          utf8(parts_->Cell(row, 1)).c_str(), proper_get(PLACE_CONVERTED), 0);
    }

    wxListBox* libraries_;
    wxTextCtrl* pattern_;
    CellTree* parts_;
    wxStaticText* count_;
    PreviewCanvas* preview_;
    wxCheckBox* converted_;
    wxCheckBox* power_;
};

// --- the Part Palette page ----------------------------------------------------------------------

class PalettePage : public wxPanel {
public:
    explicit PalettePage(wxWindow* parent) : wxPanel(parent), rows_(palette_rows()) {
        const int gap = FromDIP(4);
        auto* columns = new wxBoxSizer(wxHORIZONTAL);

        auto* lists = new wxBoxSizer(wxVERTICAL);
        lists->Add(new wxStaticText(this, wxID_ANY, wxS("Library")), 0, wxBOTTOM, gap);
        library_ = new wxListBox(this, PALETTE_LIBRARY, wxDefaultPosition,
                                 FromDIP(wxSize(150, 110)), 0, nullptr, wxLB_SINGLE | wxLB_SORT);
        lists->Add(library_, 1, wxEXPAND | wxBOTTOM, gap);
        lists->Add(new wxStaticText(this, wxID_ANY, wxS("Parts")), 0, wxBOTTOM, gap);
        parts_ = new wxListBox(this, PALETTE_PARTS, wxDefaultPosition, FromDIP(wxSize(150, 110)), 0,
                               nullptr, wxLB_SINGLE | wxLB_SORT);
        lists->Add(parts_, 1, wxEXPAND | wxBOTTOM, gap);
        auto* equivalent = new wxBoxSizer(wxHORIZONTAL);
        equivalent->Add(new wxStaticText(this, wxID_ANY, wxS("Equivalent")), 0,
                        wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
        converted_ = new wxCheckBox(this, PALETTE_CONVERTED, wxS("DeMorgan"));
        equivalent->Add(converted_, 0);
        lists->Add(equivalent, 0);
        columns->Add(lists, 0, wxEXPAND | wxRIGHT, gap);

        auto* middle = new wxBoxSizer(wxVERTICAL);
        middle->AddStretchSpacer();
        add_ = new wxButton(this, PALETTE_ADD, wxS("Add >>"));
        delete_ = new wxButton(this, PALETTE_DELETE, wxS("<< Delete"));
        middle->Add(add_, 0, wxEXPAND | wxBOTTOM, gap);
        middle->Add(delete_, 0, wxEXPAND);
        middle->AddStretchSpacer();
        columns->Add(middle, 0, wxEXPAND | wxRIGHT, gap);

        auto* right = new wxBoxSizer(wxVERTICAL);
        right->Add(new wxStaticText(this, wxID_ANY, wxS("Part Palette")), 0, wxBOTTOM, gap);
        auto* tree_line = new wxBoxSizer(wxHORIZONTAL);
        tree_ = new CellTree(this, PALETTE_TREE,
                             {{wxS("Libraries"), 70}, {wxS("Parts"), 90}, {wxS("C"), -1}},
                             FromDIP(wxSize(220, 160)));
        tree_line->Add(tree_, 1, wxEXPAND | wxRIGHT, gap);
        auto* sort = new wxBoxSizer(wxVERTICAL);
        up_ = new wxBitmapButton(this, PALETTE_UP,
                                 wxArtProvider::GetBitmap(wxART_GO_UP, wxART_BUTTON));
        down_ = new wxBitmapButton(this, PALETTE_DOWN,
                                   wxArtProvider::GetBitmap(wxART_GO_DOWN, wxART_BUTTON));
        up_->SetToolTip(wxS("Up"));
        down_->SetToolTip(wxS("Down"));
        sort->Add(new wxStaticText(this, wxID_ANY, wxS("Sort")), 0, wxBOTTOM, gap);
        sort->Add(up_, 0, wxBOTTOM, gap);
        sort->Add(down_, 0);
        tree_line->Add(sort, 0);
        right->Add(tree_line, 1, wxEXPAND | wxBOTTOM, gap);
        preview_ =
            new PreviewCanvas(this, -1, -1, preview_size(this).x, preview_size(this).y, 0x40, 1);
        preview_->SetId(PALETTE_PREVIEW);
        preview_->SetMinSize(preview_size(this));
        right->Add(preview_, 0, wxEXPAND);
        columns->Add(right, 1, wxEXPAND);
        SetSizer(columns);

        // Fill.
        choose_libraries({});
        for (const std::string& name : library_directory_files()) library_->Append(text_of(name));
        FillTree(-1);
        add_->Disable();
        delete_->Disable();

        library_->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { LibraryChosen(); });
        parts_->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { PartChosen(); });
        converted_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { PartChosen(); });
        add_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Add(); });
        delete_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Delete(); });
        up_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Move(-1); });
        down_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Move(1); });
        tree_->on_select = [this](int row) {
            UpdateMoves(row);
            delete_->Enable(row >= 0);
        };
    }

    CellTree* Tree() const { return tree_; }

private:
    void FillTree(int selected) {
        tree_->Clear();
        for (const PaletteRow& row : rows_)
            tree_->AddRow({text_of(row.library), text_of(row.part),
                           wxString::FromAscii(palette_form_cell(row.converted))});
        tree_->SelectRow(selected);
        UpdateMoves(selected);
    }

    void UpdateMoves(int row) {
        up_->Enable(palette_can_move(rows_, row, -1));
        down_->Enable(palette_can_move(rows_, row, 1));
    }

    // Every change of the rows goes into the palette at once.
    void Store() {
        palette_store(rows_);
        add_->Disable();
        delete_->Disable();
    }

    void LibraryChosen() {
        tree_->SelectRow(-1);
        UpdateMoves(-1);
        const std::string library = utf8(library_->GetStringSelection());
        choose_libraries({library});
        parts_->Clear();
        int total = 0;
        for (const FoundPart& part : search_parts({library}, "*", &total))
            parts_->Append(text_of(part.part));
        add_->Disable();
        delete_->Disable();
    }

    void PartChosen() {
        tree_->SelectRow(-1);
        UpdateMoves(-1);
        const std::string library = utf8(library_->GetStringSelection());
        const std::string part = utf8(parts_->GetStringSelection());
        if (library.empty() || part.empty()) return;
        preview_show_part(preview_, library.c_str(), part.c_str(), converted_->GetValue(), 0);
        add_->Enable(rows_.size() < PALETTE_ROWS);
        delete_->Disable();
    }

    void Add() {
        const std::string library = utf8(library_->GetStringSelection());
        const std::string part = utf8(parts_->GetStringSelection());
        if (library.empty() || part.empty()) return;
        if (palette_add(&rows_, {library, part, converted_->GetValue()}) == PaletteAdd::ADDED)
            FillTree(-1);
        Store();
    }

    void Delete() {
        const int row = tree_->Selection();
        if (row < 0 || row >= static_cast<int>(rows_.size())) return;
        rows_.erase(rows_.begin() + row);
        FillTree(-1);
        Store();
    }

    void Move(int step) {
        const int row = tree_->Selection();
        if (!palette_move(&rows_, row, step)) return;
        FillTree(row + step);
        Store();
    }

    std::vector<PaletteRow> rows_;
    wxListBox* library_;
    wxListBox* parts_;
    wxCheckBox* converted_;
    wxButton* add_;
    wxButton* delete_;
    CellTree* tree_;
    wxBitmapButton* up_;
    wxBitmapButton* down_;
    PreviewCanvas* preview_;
};

// OK on the Load Part page: the part chosen is placed on the current sheet.
void place_selected_part(LoadPage* page) {
    const int row = page ? page->Parts()->Selection() : -1;
    EditCanvas* canvas = application().current_canvas();
    if (row < 0 || !canvas || canvas->kind != CANVAS_SHEET) return;
    start_part_mode(editor_session(canvas), utf8(page->Parts()->Cell(row, 0)).c_str(),
                    utf8(page->Parts()->Cell(row, 1)).c_str(), proper_get(PLACE_CONVERTED) != 0,
                    proper_get(PLACE_VPOWER) != 0);
}

}  // namespace

void show_load_part() {
    if (!res_dialog_begin(RES_LOAD_PART, application().current_canvas())) return;
    ResDialog& row = res_dialogs[RES_LOAD_PART];
    LoadPartSheet sheet;
    std::vector<wxString> titles;
    for (int i = 0; i < row.page_count; ++i)
        titles.push_back(wxString::FromUTF8(row.pages[i].title));

    LoadPage* load = nullptr;
    PropertySheet* dialog = nullptr;
    PropertySheet::Hooks hooks;
    hooks.build = [&](int page, wxWindow* parent) -> wxWindow* {
        proper_set(SETUP_CURRENT_TAB, page, 0);
        wxWindow* window;
        if (page == 0) {
            load = new LoadPage(parent);
            // A double click on a part is OK.
            load->Parts()->on_activate = [&dialog](int) { dialog->sheet_command(wxID_OK); };
            window = load;
        } else {
            auto* palette = new PalettePage(parent);
            palette->Tree()->on_activate = [&dialog](int) { dialog->sheet_command(wxID_OK); };
            window = palette;
        }
        row.page_windows[page] = window;
        return window;
    };
    hooks.ok = [&] {
        if (dialog->CurrentPage() == 0) place_selected_part(load);
        sheet.apply_tab_pages();
        application().rebuild_palette(0);
    };
    hooks.cancel = [&sheet] { sheet.sheet_cancel(); };
    hooks.help = [](int) { application().show_help(HELP_FILE, LOAD_PART_HELP); };

    PropertySheet sheet_window(dialog_parent_window(), wxString::FromUTF8(row.title), titles, false,
                               proper_get(SETUP_CURRENT_TAB), std::move(hooks), row.tab_control);
    dialog = &sheet_window;
    res_dialog_opened(RES_LOAD_PART, dialog);
    center_window_on(dialog, application().main_window());
    ask_modal(dialog);
    res_dialog_closed(dialog);
    application().repaint_all();
}
