#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/image.h>

#include "render/colour_table.h"
#include "render/draw_adapter.h"

namespace render_test {
namespace {

// A strip as the drawing asks for it: its pen and its points (world units
// at scale 1: pixels).
struct Strip {
    uint32_t rgb;
    int32_t width;
    bool dashed;
    std::vector<Point> points;
};

// Short strokes of every slope, as the letters of small names are drawn,
// long rectilinear wires, wide and dashed pens, strips of one point's
// length, and pens changing back and forth.
std::vector<Strip> strips() {
    std::vector<Strip> all;
    for (int i = 0; i < 24; ++i) {
        const int x = 4 + (i % 6) * 10, y = 4 + (i / 6) * 10;
        all.push_back({0x800000, 0, false, {{x, y}, {x + i % 5, y + 6}, {x + 5, y + i % 4}}});
        all.push_back({0x000080, i % 3, false, {{x + 1, y + 7}, {x + 6, y + 7}}});
    }
    all.push_back({0x008000, 0, false, {{0, 47}, {63, 47}, {63, 60}}});
    all.push_back({0x008000, 2, false, {{2, 52}, {40, 52}}});
    all.push_back({0x008000, 3, true, {{2, 57}, {60, 50}}});
    all.push_back({0x000000, 0, false, {{30, 30}, {30, 30}}});
    return all;
}

wxImage painted(bool through_adapter) {
    wxBitmap bitmap(64, 64);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        DrawAdapter adapter(&dc, 1.0, 1.0, 0, 0, 0xFFFFFF);  // used by one painting only
        int n = 0;
        for (const Strip& s : strips()) {
            if (through_adapter) {
                adapter.set_pen(s.rgb, s.width, s.dashed);
                adapter.strip(s.points);
            } else {
                wxPen pen(colour_of_rgb(s.rgb), std::max(1, s.width),
                          s.dashed ? wxPENSTYLE_SHORT_DASH : wxPENSTYLE_SOLID);
                pen.SetCap(wxCAP_ROUND);
                dc.SetPen(pen);
                std::vector<wxPoint> points;
                for (Point p : s.points) points.push_back(wxPoint(p.x, p.y));
                dc.DrawLines(static_cast<int>(points.size()), points.data());
            }
            // Now and then a fill of another colour in between, drawn by
            // the toolkit either way: the next strip keeps its own colour.
            if (++n % 7 != 0) continue;
            if (through_adapter) {
                adapter.set_pen(0x00C0C0, 0);
                adapter.polygon({{60, 2}, {63, 2}, {63, 5}}, true);
            } else {
                wxPen pen(colour_of_rgb(0x00C0C0), 1);
                pen.SetCap(wxCAP_ROUND);
                dc.SetPen(pen);
                dc.SetBrush(wxBrush(colour_of_rgb(0x00C0C0)));
                const wxPoint corners[3] = {{60, 2}, {63, 2}, {63, 5}};
                dc.DrawPolygon(3, corners);
            }
        }
    }
    return bitmap.ConvertToImage();
}

// The adapter strokes its strips on the cairo drawing under the toolkit's
// context itself: what comes out must be what the toolkit's own DrawLines
// gives, pixel for pixel (half a pixel off, a pen not set again after a
// fill, and every line of a repaint would move or change colour).
TEST(DrawAdapterTest, StripsComeOutPixelForPixelAsTheToolkitStrokesThem) {
    const wxImage ours = painted(true);
    const wxImage toolkit = painted(false);
    ASSERT_EQ(ours.GetWidth(), toolkit.GetWidth());
    int differing = 0, inked = 0;
    for (int y = 0; y < ours.GetHeight(); ++y)
        for (int x = 0; x < ours.GetWidth(); ++x) {
            const bool same = ours.GetRed(x, y) == toolkit.GetRed(x, y) &&
                              ours.GetGreen(x, y) == toolkit.GetGreen(x, y) &&
                              ours.GetBlue(x, y) == toolkit.GetBlue(x, y);
            differing += same ? 0 : 1;
            inked += ours.GetRed(x, y) == 255 && ours.GetGreen(x, y) == 255 ? 0 : 1;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inked, 300);  // the strips were drawn at all
}

}  // namespace
}  // namespace render_test
