#pragma once
// A radio box whose choices are bitmaps (the orientation compass of the text
// and field dialogs, the rotations of a part), and the bitmaps it shows,
// drawn by the program itself.
//
// The cells stand in columns of `rows` cells, filled down each column. A
// hidden cell keeps its place (the compass's centre) but is never shown
// and cannot be chosen. One cell is chosen at a time; a click on a cell
// chooses it and sends wxEVT_RADIOBOX with the cell's index to the box's
// handlers, as a toolkit radio box does. SetSelection sends nothing.
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/panel.h>

class wxBitmapToggleButton;

class BitmapRadioBox : public wxPanel {
public:
    // One cell per name (named_bitmap); a name beginning with '-' makes a
    // hidden cell.
    BitmapRadioBox(wxWindow* parent, const std::vector<std::string>& names, int rows);

    int GetSelection() const { return selection_; }
    // An index outside the cells, or a hidden one, chooses nothing and
    // leaves the choice as it was.
    void SetSelection(int index);
    unsigned GetCount() const { return static_cast<unsigned>(cells_.size()); }
    bool IsCellHidden(int index) const;
    // The cell's button (null for a hidden cell or an index outside).
    wxWindow* Cell(int index) const;

private:
    void OnCell(int index);

    std::vector<wxBitmapToggleButton*> cells_;  // null for a hidden cell
    int selection_ = -1;
};

// The bitmaps by name, made on first use and kept: the eight compass
// directions "north", "noreas", "east", "soueas", "south", "souwes",
// "west", "norwes" (an arrow through the centre), and "part0" .. "part3" (a
// part body with its pins, turned by 0 .. 3 quarter turns as a placed part
// turns). An unknown name gives an empty bitmap.
const wxBitmap& named_bitmap(const std::string& name);
// The cells of the two boxes the dialogs use: the 3 x 3 compass (columns
// west, centre, east, each from north to south; the centre hidden) and the
// 2 x 2 rotations.
const std::vector<std::string>& compass_cells();
const std::vector<std::string>& rotation_cells();
