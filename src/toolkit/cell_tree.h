#pragma once
// A list of rows with several columns, shown as a tree: each row has a
// level (0 at the left edge; a row belongs to the nearest row above it of a
// lower level), an optional icon before its first cell, and text cells or
// colour cells (a swatch framed in black). One row at a time is selected;
// the pointer or the keyboard selects (on_select), a double click or Enter
// activates (on_activate). Changing the rows or the selection from the
// program reports nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dataview.h>

class CellTreeModel;

class CellTree : public wxDataViewCtrl {
public:
    enum class ColumnKind { TEXT, COLOUR };
    struct Column {
        wxString title;
        int width = -1;  // pixels; -1: the rest of the width
        ColumnKind kind = ColumnKind::TEXT;
    };

    // Without a header the column titles are not shown (a lone column
    // labelled beside it).
    CellTree(wxWindow* parent, wxWindowID id, const std::vector<Column>& columns,
             const wxSize& size = wxDefaultSize, bool header = true);
    ~CellTree() override;

    // Pictures a row may show before its first cell (by their index).
    void SetIcons(const std::vector<wxBitmap>& icons);

    void Clear();
    // A row at the end / before row `at`; its index.
    int AddRow(const std::vector<wxString>& cells, int level = 0, int icon = -1);
    int InsertRow(int at, const std::vector<wxString>& cells, int level = 0, int icon = -1);
    void DeleteRow(int row);
    int RowCount() const;

    wxString Cell(int row, int column) const;
    void SetCell(int row, int column, const wxString& text);
    // A colour column's swatch (0x00BBGGRR).
    void SetColour(int row, int column, uint32_t rgb);
    uint32_t Colour(int row, int column) const;
    int Level(int row) const;
    // The row it belongs to, or -1.
    int Parent(int row) const;

    // The selected row, or -1.
    int Selection() const;
    // Selects the row (-1: none) and scrolls it into view; reports nothing.
    void SelectRow(int row);
    // Where a row's cell stands, in the control's client coordinates (empty
    // while it is scrolled out of view).
    wxRect CellRect(int row, int column) const;

    std::function<void(int row)> on_select;
    std::function<void(int row)> on_activate;

private:
    CellTreeModel* model_;  // reference held by the control
    bool quiet_ = false;    // the program changes the rows or the selection
    int Row(const wxDataViewItem& item) const;
    wxDataViewItem Item(int row) const;
};
