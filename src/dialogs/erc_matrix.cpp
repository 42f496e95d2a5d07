// The decision matrix of the ERC dialog: a triangle of small bitmap
// buttons, one per unordered pair of connection classes, whose click steps
// the pair through accepted, warning and error. The states live in the
// buttons' cells while the dialog is open and reach ERC_TABLE only through
// Execute (erc_store_cells keeps the table symmetric).
#include <algorithm>
#include <array>

#include <wx/bmpbuttn.h>
#include <wx/image.h>
#include <wx/stattext.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/form_dialog.h"
#include "dialogs/forms/process_forms.h"
#include "dialogs/process_dialogs.h"
#include "foundation/core.h"
#include "toolkit/flow_panel.h"

namespace {

// The matrix of the ERC dialog (one of the program's dialogs): its buttons
// by cell index (none outside the triangle) and the state of each cell.
struct ErcMatrix {
    std::array<wxWindow*, 17 * 17> buttons{};
    std::array<int, 17 * 17> states{};
};
ErcMatrix& matrix_of_dialog() { return program_dialogs()->state<ErcMatrix>(); }

constexpr int BITMAP_SIZE = 9;

// Letters drawn into the cell bitmaps, one text line per pixel row from
// the top, '#' black; the letter is centred in the 9 x 9 square.
const char* const letter_w[] = {"#.....#", "#.....#", "#.....#", "#..#..#",
                                "#..#..#", "#.#.#.#", ".#...#."};
const char* const letter_e[] = {"#####", "#....", "#....", "####.", "#....", "#....", "#####"};

wxBitmap cell_bitmap(unsigned char red, unsigned char green, unsigned char blue,
                     const char* const* letter) {
    wxImage image(BITMAP_SIZE, BITMAP_SIZE);
    image.SetRGB(wxRect(0, 0, BITMAP_SIZE, BITMAP_SIZE), red, green, blue);
    if (letter) {
        const int width = static_cast<int>(std::char_traits<char>::length(letter[0]));
        const int left = (BITMAP_SIZE - width) / 2, top = 1;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < width; ++x)
                if (letter[y][x] == '#') image.SetRGB(left + x, top + y, 0, 0, 0);
    }
    return wxBitmap(image);
}

int index_of(wxWindow* button) {
    const auto& buttons = matrix_of_dialog().buttons;
    auto it = std::find(buttons.begin(), buttons.end(), button);
    return it == buttons.end() || !button ? -1 : static_cast<int>(it - buttons.begin());
}

// The height that keeps the label rows level with the button rows.
int row_height(FlowPanel* panel) {
    auto* probe = new wxBitmapButton(panel, wxID_ANY, ercok_bitmap(), wxDefaultPosition,
                                     wxDefaultSize, wxBU_EXACTFIT | wxBORDER_NONE);
    auto* text = new wxStaticText(panel, wxID_ANY, "Xg");
    int height = std::max(probe->GetBestSize().y, text->GetBestSize().y);
    probe->Destroy();
    text->Destroy();
    return height;
}

// A column of the 17 row labels (or abbreviations), "Unconnected" at the
// top, under a blank head as tall as the column labels.
FlowPanel* label_column(FlowPanel* parent, int height, const char* (*text)(int)) {
    FlowPanel* column = parent->NewSubPanel(6, 0);
    column->AddLabel(" \n \n ");
    column->NewLine(0);
    for (int erc_class = ERC_CLASSES - 1; erc_class >= 0; --erc_class) {
        auto* label = new wxStaticText(column, wxID_ANY, text(erc_class));
        label->SetMinSize(wxSize(-1, height));
        column->Add(label);
        column->NewLine(0);
    }
    return column;
}

}  // namespace

const wxBitmap& ercok_bitmap() {
    static const wxBitmap bitmap = cell_bitmap(0, 255, 0, nullptr);
    return bitmap;
}

const wxBitmap& ercwarn_bitmap() {
    static const wxBitmap bitmap = cell_bitmap(255, 255, 0, letter_w);
    return bitmap;
}

const wxBitmap& ercerr_bitmap() {
    static const wxBitmap bitmap = cell_bitmap(255, 0, 0, letter_e);
    return bitmap;
}

wxWindow* erc_cell_button(int index) {
    return index >= 0 && index < 17 * 17 ? matrix_of_dialog().buttons[index] : nullptr;
}

void erc_column_label(FlowPanel* column_panel, int column_class) {
    TN_ASSERT(program_dialogs() && program_dialogs()->find("erc_prop"));
    column_panel->AddLabel(erc_column_text(column_class));
    column_panel->NewLine(0);
}

int erc_cell_state(wxWindow* button) {
    int i = index_of(button);
    return i < 0 ? 0 : matrix_of_dialog().states[i];
}

void erc_cell_show(wxWindow* button) {
    TN_ASSERT(program_dialogs() && program_dialogs()->find("erc_prop"));
    int i = index_of(button);
    if (i < 0) return;
    auto* bitmap_button = static_cast<wxBitmapButton*>(button);
    switch (matrix_of_dialog().states[i]) {
        case 0: bitmap_button->SetBitmapLabel(ercok_bitmap()); break;
        case 1: bitmap_button->SetBitmapLabel(ercwarn_bitmap()); break;
        case 2: bitmap_button->SetBitmapLabel(ercerr_bitmap()); break;
        default: break;
    }
}

void erc_cell_click(wxWindow* button) {
    int i = index_of(button);
    if (i < 0) return;
    int& state = matrix_of_dialog().states[i];
    state = erc_next_state(state);
    erc_cell_show(button);
}

void erc_build_matrix(FormDialog* dialog) {
    matrix_of_dialog() = ErcMatrix{};
    FlowPanel* panel = dialog->AddSecondUserPanel();
    panel->SetLabelPosition(LabelPosition::BESIDE);
    panel->AddLabel("Decision Matrix:");
    panel->NewLine();
    panel->SetSpacing(0, 0);
    const int height = row_height(panel);
    FlowPanel* rows = label_column(panel, height, erc_row_label);
    FlowPanel* abbreviations = label_column(panel, height, erc_row_abbreviation);
    FlowPanel* matrix = panel->NewSubPanel(0, 0);
    for (int column = 0; column < ERC_CLASSES; ++column) {
        FlowPanel* cells = matrix->NewSubPanel(0, 0);
        erc_column_label(cells, column);
        // Row position k from the top holds row class 16 - k: the column of
        // class c ends with the pair (c, c).
        for (int k = 0; k <= ERC_CLASSES - 1 - column; ++k) {
            auto* button = new wxBitmapButton(cells, wxID_ANY, ercok_bitmap(), wxDefaultPosition,
                                              wxDefaultSize, wxBU_EXACTFIT | wxBORDER_NONE);
            button->SetMinSize(wxSize(button->GetBestSize().x, height));
            button->Bind(wxEVT_BUTTON, [button](wxCommandEvent&) { erc_cell_click(button); });
            matrix_of_dialog().buttons[erc_cell_index(column, ERC_CLASSES - 1 - k)] = button;
            cells->Add(button);
            cells->NewLine(0);
        }
        matrix->AddSubPanel(cells);
    }
    // The columns of labels keep a little room from their neighbours.
    panel->AddSubPanel(rows);
    panel->Tab(8);
    panel->AddSubPanel(abbreviations);
    panel->Tab(4);
    panel->AddSubPanel(matrix);
}

void erc_load_matrix() {
    ErcCells cells;
    erc_load_cells(&cells);
    for (int column = 0; column < ERC_CLASSES; ++column)
        for (int row = ERC_CLASSES - 1; row >= column; --row) {
            const int i = erc_cell_index(column, row);
            matrix_of_dialog().states[i] = cells[i];
            erc_cell_show(matrix_of_dialog().buttons[i]);
        }
}

void erc_store_matrix() {
    ErcCells cells{};
    const auto& states = matrix_of_dialog().states;
    std::copy(states.begin(), states.end(), cells.begin());
    erc_store_cells(cells);
}
