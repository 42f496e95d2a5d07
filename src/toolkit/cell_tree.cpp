#include "toolkit/cell_tree.h"

#include <algorithm>
#include <utility>

#include <wx/dc.h>

// While it lives, the control reports nothing (the program is changing it).
struct QuietScope {
    explicit QuietScope(bool* flag) : flag_(flag), was_(*flag) { *flag = true; }
    ~QuietScope() { *flag_ = was_; }
    bool* flag_;
    bool was_;
};

namespace {

struct RowData {
    std::vector<wxString> cells;
    std::vector<uint32_t> colours;
    int level = 0;
    int icon = -1;
};

constexpr int INDENT = 16;  // pixels per level
constexpr int ICON_GAP = 4;

wxColour colour_of(uint32_t rgb) {
    return wxColour(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

}  // namespace

// The rows, flat: the levels are drawn as indents, so every row is a child
// of the invisible root and the control keeps the order of the rows.
class CellTreeModel : public wxDataViewModel {
public:
    explicit CellTreeModel(size_t columns) : columns_(columns) {}

    std::vector<std::unique_ptr<RowData>> rows;
    std::vector<wxBitmap> icons;

    unsigned int GetColumnCount() const override { return static_cast<unsigned>(columns_); }
    wxString GetColumnType(unsigned int) const override { return wxS("void*"); }
    void GetValue(wxVariant& variant, const wxDataViewItem& item, unsigned int) const override {
        variant = wxVariant(item.GetID());
    }
    bool SetValue(const wxVariant&, const wxDataViewItem&, unsigned int) override { return false; }
    wxDataViewItem GetParent(const wxDataViewItem&) const override { return wxDataViewItem(); }
    bool IsContainer(const wxDataViewItem& item) const override { return !item.IsOk(); }
    bool IsListModel() const override { return true; }
    unsigned int GetChildren(const wxDataViewItem& item,
                             wxDataViewItemArray& children) const override {
        if (item.IsOk()) return 0;
        for (const auto& row : rows) children.Add(wxDataViewItem(row.get()));
        return static_cast<unsigned>(rows.size());
    }

    int IndexOf(const void* id) const {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].get() == id) return static_cast<int>(i);
        return -1;
    }

private:
    size_t columns_;
};

namespace {

// Draws one cell of a row: the first column with the row's indent and
// icon, a text column's text, a colour column's swatch.
class CellRenderer : public wxDataViewCustomRenderer {
public:
    CellRenderer(const CellTreeModel* model, unsigned column, bool colour)
        : wxDataViewCustomRenderer(wxS("void*"), wxDATAVIEW_CELL_INERT),
          model_(model),
          column_(column),
          colour_(colour) {}

    bool SetValue(const wxVariant& value) override {
        row_ = static_cast<const RowData*>(value.GetVoidPtr());
        return true;
    }
    bool GetValue(wxVariant&) const override { return false; }

    wxSize GetSize() const override {
        if (colour_ || !row_) return wxSize(24, 16);
        wxSize size = GetTextExtent(Text());
        size.x += Indent();
        return size;
    }

    bool Render(wxRect rect, wxDC* dc, int state) override {
        if (!row_) return false;
        if (colour_) {
            const uint32_t rgb = column_ < row_->colours.size() ? row_->colours[column_] : 0;
            wxRect box = rect;
            box.Deflate(1);
            dc->SetPen(*wxTRANSPARENT_PEN);
            dc->SetBrush(*wxBLACK_BRUSH);
            dc->DrawRectangle(box);
            box.Deflate(2);
            dc->SetBrush(wxBrush(colour_of(rgb)));
            dc->DrawRectangle(box);
            return true;
        }
        int x = 0;
        if (column_ == 0) {
            x = row_->level * INDENT;
            if (row_->icon >= 0 && row_->icon < static_cast<int>(model_->icons.size())) {
                const wxBitmap& icon = model_->icons[static_cast<size_t>(row_->icon)];
                dc->DrawBitmap(icon, rect.x + x, rect.y + (rect.height - icon.GetHeight()) / 2,
                               true);
                x += icon.GetWidth() + ICON_GAP;
            }
        }
        RenderText(Text(), x, rect, dc, state);
        return true;
    }

private:
    wxString Text() const {
        return row_ && column_ < row_->cells.size() ? row_->cells[column_] : wxString();
    }
    int Indent() const {
        if (column_ != 0 || !row_) return 0;
        int x = row_->level * INDENT;
        if (row_->icon >= 0 && row_->icon < static_cast<int>(model_->icons.size()))
            x += model_->icons[static_cast<size_t>(row_->icon)].GetWidth() + ICON_GAP;
        return x;
    }

    const CellTreeModel* model_;
    unsigned column_;
    bool colour_;
    const RowData* row_ = nullptr;
};

}  // namespace

CellTree::CellTree(wxWindow* parent, wxWindowID id, const std::vector<Column>& columns,
                   const wxSize& size, bool header)
    : wxDataViewCtrl(parent, id, wxDefaultPosition, size,
                     wxDV_SINGLE | wxDV_ROW_LINES | (header ? 0 : wxDV_NO_HEADER)),
      model_(new CellTreeModel(columns.size())) {
    AssociateModel(model_);
    model_->DecRef();  // the control holds it
    for (size_t c = 0; c < columns.size(); ++c) {
        const Column& column = columns[c];
        auto* renderer =
            new CellRenderer(model_, static_cast<unsigned>(c), column.kind == ColumnKind::COLOUR);
        // A column is at least as wide as its title.
        const int title = GetTextExtent(column.title).x + FromDIP(16);
        const int width =
            column.width > 0 ? std::max(FromDIP(column.width), title) : wxCOL_WIDTH_DEFAULT;
        AppendColumn(new wxDataViewColumn(column.title, renderer, static_cast<unsigned>(c), width,
                                          wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE));
    }
    Bind(wxEVT_DATAVIEW_SELECTION_CHANGED, [this](wxDataViewEvent&) {
        if (on_select && !quiet_) on_select(Selection());
    });
    Bind(wxEVT_DATAVIEW_ITEM_ACTIVATED, [this](wxDataViewEvent& event) {
        const int row = Row(event.GetItem());
        if (row >= 0 && on_activate) on_activate(row);
    });
}

CellTree::~CellTree() = default;

int CellTree::Row(const wxDataViewItem& item) const {
    return item.IsOk() ? model_->IndexOf(item.GetID()) : -1;
}

wxDataViewItem CellTree::Item(int row) const {
    if (row < 0 || row >= RowCount()) return wxDataViewItem();
    return wxDataViewItem(model_->rows[static_cast<size_t>(row)].get());
}

void CellTree::SetIcons(const std::vector<wxBitmap>& icons) { model_->icons = icons; }

void CellTree::Clear() {
    QuietScope quiet(&quiet_);
    model_->rows.clear();
    model_->Cleared();
}

int CellTree::AddRow(const std::vector<wxString>& cells, int level, int icon) {
    return InsertRow(RowCount(), cells, level, icon);
}

int CellTree::InsertRow(int at, const std::vector<wxString>& cells, int level, int icon) {
    at = std::clamp(at, 0, RowCount());
    auto row = std::make_unique<RowData>();
    row->cells = cells;
    row->cells.resize(GetColumnCount());
    row->colours.assign(GetColumnCount(), 0);
    row->level = level < 0 ? 0 : level;
    row->icon = icon;
    const wxDataViewItem item(row.get());
    const bool at_end = at == RowCount();
    QuietScope quiet(&quiet_);
    model_->rows.insert(model_->rows.begin() + at, std::move(row));
    // A row in the middle: the control learns the new order from the model.
    if (at_end)
        model_->ItemAdded(wxDataViewItem(), item);
    else
        model_->Cleared();
    return at;
}

void CellTree::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    const wxDataViewItem item = Item(row);
    QuietScope quiet(&quiet_);
    model_->rows.erase(model_->rows.begin() + row);
    model_->ItemDeleted(wxDataViewItem(), item);
}

int CellTree::RowCount() const { return static_cast<int>(model_->rows.size()); }

wxString CellTree::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount()) return {};
    const RowData& data = *model_->rows[static_cast<size_t>(row)];
    return column >= 0 && column < static_cast<int>(data.cells.size())
               ? data.cells[static_cast<size_t>(column)]
               : wxString();
}

void CellTree::SetCell(int row, int column, const wxString& text) {
    if (row < 0 || row >= RowCount()) return;
    RowData& data = *model_->rows[static_cast<size_t>(row)];
    if (column < 0 || column >= static_cast<int>(data.cells.size())) return;
    data.cells[static_cast<size_t>(column)] = text;
    model_->ItemChanged(Item(row));
}

void CellTree::SetColour(int row, int column, uint32_t rgb) {
    if (row < 0 || row >= RowCount()) return;
    RowData& data = *model_->rows[static_cast<size_t>(row)];
    if (column < 0 || column >= static_cast<int>(data.colours.size())) return;
    data.colours[static_cast<size_t>(column)] = rgb;
    model_->ItemChanged(Item(row));
}

uint32_t CellTree::Colour(int row, int column) const {
    if (row < 0 || row >= RowCount()) return 0;
    const RowData& data = *model_->rows[static_cast<size_t>(row)];
    return column >= 0 && column < static_cast<int>(data.colours.size())
               ? data.colours[static_cast<size_t>(column)]
               : 0;
}

int CellTree::Level(int row) const {
    return row >= 0 && row < RowCount() ? model_->rows[static_cast<size_t>(row)]->level : 0;
}

int CellTree::Parent(int row) const {
    const int level = Level(row);
    for (int r = row - 1; r >= 0; --r)
        if (Level(r) < level) return r;
    return -1;
}

int CellTree::Selection() const { return Row(GetSelection()); }

void CellTree::SelectRow(int row) {
    QuietScope quiet(&quiet_);
    if (row < 0 || row >= RowCount()) {
        UnselectAll();
        return;
    }
    const wxDataViewItem item = Item(row);
    Select(item);
    EnsureVisible(item);
}

wxRect CellTree::CellRect(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= static_cast<int>(GetColumnCount()))
        return {};
    return GetItemRect(Item(row), GetColumn(static_cast<unsigned>(column)));
}
