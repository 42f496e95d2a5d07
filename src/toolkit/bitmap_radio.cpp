#include "toolkit/bitmap_radio.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <wx/image.h>
#include <wx/sizer.h>
#include <wx/tglbtn.h>

namespace {

// --- drawing ---------------------------------------------------------------------------------
// The bitmaps are drawn pixel by pixel on a transparent square, so that
// they look the same on every display and in the reviewed screenshots.
constexpr int SIZE = 20;

struct Picture {
    wxImage image{SIZE, SIZE};

    Picture() {
        image.InitAlpha();
        for (int y = 0; y < SIZE; ++y)
            for (int x = 0; x < SIZE; ++x) {
                image.SetRGB(x, y, 0, 0, 0);
                image.SetAlpha(x, y, wxIMAGE_ALPHA_TRANSPARENT);
            }
    }
    void dot(int x, int y) {
        if (x < 0 || y < 0 || x >= SIZE || y >= SIZE) return;
        image.SetAlpha(x, y, wxIMAGE_ALPHA_OPAQUE);
    }
    // A line two pixels wide.
    void line(double x0, double y0, double x1, double y1) {
        const int steps = static_cast<int>(std::max(std::abs(x1 - x0), std::abs(y1 - y0))) * 2 + 1;
        for (int i = 0; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            const int x = static_cast<int>(std::lround(x0 + (x1 - x0) * t));
            const int y = static_cast<int>(std::lround(y0 + (y1 - y0) * t));
            dot(x, y);
            dot(x + 1, y);
            dot(x, y + 1);
            dot(x + 1, y + 1);
        }
    }
};

// An arrow through the centre pointing towards (dx, dy), one of the eight
// directions.
wxBitmap arrow(int dx, int dy) {
    Picture p;
    const double c = (SIZE - 2) / 2.0;
    // The shaft runs through the centre, the head a little beyond it.
    const double length = dx && dy ? 5.0 : 7.0;
    const double tx = c + dx * length, ty = c + dy * length;
    p.line(c - dx * length, c - dy * length, tx, ty);
    // The head: two strokes back from the tip, each a quarter turn apart.
    const double back = 4.0;
    const double ux = -dx, uy = -dy;  // from the tip back along the shaft
    const double norm = std::hypot(ux, uy);
    const double bx = ux / norm * back, by = uy / norm * back;
    p.line(tx, ty, tx + (bx - by) * 0.8, ty + (by + bx) * 0.8);
    p.line(tx, ty, tx + (bx + by) * 0.8, ty + (by - bx) * 0.8);
    return wxBitmap(p.image);
}

// A part body (the box) with a pin on its left and a mark in its upper left
// corner, turned by quarter turns as the sheet turns a placed part (east
// goes to south first).
wxBitmap part(int turns) {
    Picture p;
    const double c = (SIZE - 2) / 2.0;
    auto turned = [&](double x, double y, double* ox, double* oy) {
        double rx = x - c, ry = y - c;
        for (int i = 0; i < turns; ++i) {
            const double t = rx;
            rx = -ry;
            ry = t;
        }
        *ox = c + rx;
        *oy = c + ry;
    };
    auto segment = [&](double x0, double y0, double x1, double y1) {
        double a, b, e, f;
        turned(x0, y0, &a, &b);
        turned(x1, y1, &e, &f);
        p.line(a, b, e, f);
    };
    segment(6, 3, 14, 3);
    segment(14, 3, 14, 15);
    segment(14, 15, 6, 15);
    segment(6, 15, 6, 3);
    segment(1, 6, 6, 6);  // the pin
    segment(1, 12, 6, 12);
    segment(8, 5, 9, 5);  // the mark of the body's first corner
    return wxBitmap(p.image);
}

wxBitmap make(const std::string& name) {
    static const std::map<std::string, std::pair<int, int>> directions = {
        {"north", {0, -1}}, {"noreas", {1, -1}}, {"east", {1, 0}},  {"soueas", {1, 1}},
        {"south", {0, 1}},  {"souwes", {-1, 1}}, {"west", {-1, 0}}, {"norwes", {-1, -1}},
    };
    if (auto it = directions.find(name); it != directions.end())
        return arrow(it->second.first, it->second.second);
    if (name.size() == 5 && name.rfind("part", 0) == 0 && name[4] >= '0' && name[4] <= '3')
        return part(name[4] - '0');
    return wxBitmap();
}

}  // namespace

const wxBitmap& named_bitmap(const std::string& name) {
    static std::map<std::string, wxBitmap> made;
    auto it = made.find(name);
    if (it == made.end()) it = made.emplace(name, make(name)).first;
    return it->second;
}

// --- the radio box -------------------------------------------------------------------------------

BitmapRadioBox::BitmapRadioBox(wxWindow* parent, const std::vector<std::string>& names, int rows)
    : wxPanel(parent, wxID_ANY) {
    rows = std::max(rows, 1);
    const int columns = (static_cast<int>(names.size()) + rows - 1) / rows;
    wxSize cell_size;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool hidden = !names[i].empty() && names[i][0] == '-';
        wxBitmapToggleButton* cell = nullptr;
        if (!hidden) {
            cell = new wxBitmapToggleButton(this, wxID_ANY, named_bitmap(names[i]));
            const int index = static_cast<int>(i);
            cell->Bind(wxEVT_TOGGLEBUTTON, [this, index](wxCommandEvent&) { OnCell(index); });
            cell_size.IncTo(cell->GetBestSize());
        }
        cells_.push_back(cell);
    }
    // Down each column: cell i stands in row i % rows of column i / rows; a
    // hidden cell keeps its place as a space of a cell's size.
    auto* grid = new wxGridSizer(rows, columns, 0, 0);
    for (int slot = 0; slot < rows * columns; ++slot) {
        const size_t i = static_cast<size_t>((slot % columns) * rows + slot / columns);
        if (i < cells_.size() && cells_[i])
            grid->Add(cells_[i], 0, wxEXPAND);
        else
            grid->Add(cell_size.x, cell_size.y);
    }
    SetSizerAndFit(grid);
}

bool BitmapRadioBox::IsCellHidden(int index) const {
    return index >= 0 && index < static_cast<int>(cells_.size()) && !cells_[index];
}

wxWindow* BitmapRadioBox::Cell(int index) const {
    return index >= 0 && index < static_cast<int>(cells_.size()) ? cells_[index] : nullptr;
}

void BitmapRadioBox::SetSelection(int index) {
    if (!Cell(index)) return;
    selection_ = index;
    for (size_t i = 0; i < cells_.size(); ++i)
        if (cells_[i]) cells_[i]->SetValue(static_cast<int>(i) == index);
}

void BitmapRadioBox::OnCell(int index) {
    // A click on the chosen cell keeps it chosen.
    SetSelection(index);
    wxCommandEvent event(wxEVT_RADIOBOX, GetId());
    event.SetEventObject(this);
    event.SetInt(index);
    ProcessWindowEvent(event);
}
