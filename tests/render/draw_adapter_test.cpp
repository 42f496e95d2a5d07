#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include "render/colour_table.h"
#include "render/draw_adapter.h"
#include "render/stroke_batch.h"

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

// Many strips over a canvas several bands tall, as a repaint of a large
// sheet at a small zoom gives: letters' short lines, wires crossing many
// rows, wide and dashed pens among them.
std::vector<Strip> many_strips(int width, int height) {
    std::vector<Strip> all;
    uint32_t seed = 12345;
    auto next = [&](int below) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % uint32_t(below));
    };
    const uint32_t colours[4] = {0x800000, 0x000080, 0x008000, 0x804080};
    for (int i = 0; i < 1500; ++i) {
        const int x = next(width), y = next(height);
        all.push_back({colours[i % 4],
                       i % 9 == 0 ? 2 : 0,
                       false,
                       {{x, y}, {x + next(7) - 3, y + next(9) - 4}, {x + next(5), y + next(5)}}});
        if (i % 50 == 0)
            all.push_back({colours[(i / 50) % 4],
                           i % 3,
                           i % 1200 == 0,
                           {{next(width), 0}, {next(width), height - 1}}});
    }
    return all;
}

enum class Through { TOOLKIT, ADAPTER, GATHERED };

wxImage painted(Through through, const std::vector<Strip>& all, int width, int height) {
    wxBitmap bitmap(width, height);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        DrawAdapter adapter(&dc, 1.0, 1.0, 0, 0, 0xFFFFFF);  // used by one painting only
        if (through == Through::GATHERED) adapter.gather_strokes();
        int n = 0;
        for (const Strip& s : all) {
            if (through != Through::TOOLKIT) {
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
            // Now and then a grid's dots among them, over what came before
            // and under what follows.
            if (all.size() > 100 && ++n % 300 == 0) {
                std::vector<Point> grid;
                for (int y = n / 300; y < height; y += 5)
                    for (int x = n / 300; x < width; x += 7) grid.push_back({x, y});
                if (through != Through::TOOLKIT) {
                    adapter.set_pen(0xC000C0, 0);
                    adapter.dots(grid);
                } else {
                    wxPen pen(colour_of_rgb(0xC000C0), 1);
                    pen.SetCap(wxCAP_ROUND);
                    dc.SetPen(pen);
                    dc.SetBrush(wxBrush(colour_of_rgb(0xC000C0)));
                    wxGraphicsContext* gc = dc.GetGraphicsContext();
                    wxGraphicsPath path = gc->CreatePath();
                    for (Point p : grid) path.AddRectangle(p.x - 0.5, p.y - 0.5, 1, 1);
                    gc->FillPath(path);
                }
                continue;
            }
            // Now and then a fill of another colour in between, drawn by
            // the toolkit either way: the next strip keeps its own colour,
            // and the strips before it lie under it.
            if (all.size() <= 100 && ++n % 7 != 0) continue;
            if (all.size() > 100 && n % 1100 != 0) continue;
            const int x = width - 4 - n % 20, y = (n * 7) % (height - 4);
            if (through != Through::TOOLKIT) {
                adapter.set_pen(0x00C0C0, 0);
                adapter.polygon({{x, y}, {x + 3, y}, {x + 3, y + 3}}, true);
            } else {
                wxPen pen(colour_of_rgb(0x00C0C0), 1);
                pen.SetCap(wxCAP_ROUND);
                dc.SetPen(pen);
                dc.SetBrush(wxBrush(colour_of_rgb(0x00C0C0)));
                const wxPoint corners[3] = {{x, y}, {x + 3, y}, {x + 3, y + 3}};
                dc.DrawPolygon(3, corners);
            }
        }
    }
    return bitmap.ConvertToImage();
}

// Pixels that differ between two pictures of one size; *inked counts the
// pixels of the first that are not white.
int differing(const wxImage& a, const wxImage& b, int* inked) {
    EXPECT_EQ(a.GetSize(), b.GetSize());
    int count = 0;
    *inked = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x) {
            const bool same = a.GetRed(x, y) == b.GetRed(x, y) &&
                              a.GetGreen(x, y) == b.GetGreen(x, y) &&
                              a.GetBlue(x, y) == b.GetBlue(x, y);
            count += same ? 0 : 1;
            *inked += a.GetRed(x, y) == 255 && a.GetGreen(x, y) == 255 ? 0 : 1;
        }
    return count;
}

// The adapter strokes its strips on the cairo drawing under the toolkit's
// context itself: what comes out must be what the toolkit's own DrawLines
// gives, pixel for pixel (half a pixel off, a pen not set again after a
// fill, and every line of a repaint would move or change colour).
TEST(DrawAdapterTest, StripsComeOutPixelForPixelAsTheToolkitStrokesThem) {
    const std::vector<Strip> all = strips();
    int inked = 0;
    EXPECT_EQ(differing(painted(Through::ADAPTER, all, 64, 64),
                        painted(Through::TOOLKIT, all, 64, 64), &inked),
              0);
    EXPECT_GT(inked, 300);  // the strips were drawn at all
}

// Strips gathered and stroked band by band on several threads: a stroke
// across the edge of two bands drawn whole in each, in its order among
// the others of its band, a grid's dots gathered among them, a fill in
// between drawing over what was gathered before it and under what came
// after. The same pixels as the
// toolkit's strokes one by one, also where too few strips were gathered to
// be worth the threads.
TEST(DrawAdapterTest, GatheredStripsComeOutPixelForPixelAsTheToolkitStrokesThem) {
    const std::vector<Strip> all = many_strips(300, 400);
    ASSERT_GT(all.size(), StrokeBatch::MIN_BANDED * 2);
    int inked = 0;
    EXPECT_EQ(differing(painted(Through::GATHERED, all, 300, 400),
                        painted(Through::TOOLKIT, all, 300, 400), &inked),
              0);
    EXPECT_GT(inked, 10000);
    const std::vector<Strip> few = strips();
    EXPECT_EQ(differing(painted(Through::GATHERED, few, 64, 64),
                        painted(Through::TOOLKIT, few, 64, 64), &inked),
              0);
}

// Repaint after repaint on bitmaps of other sizes (one band only, many
// bands, a last band of a few rows): the threads that wait between
// repaints take each one up in turn, and every picture is whole.
TEST(DrawAdapterTest, GatheredPaintingsOneAfterAnotherComeOutWhole) {
    const int sizes[][2] = {{300, 20}, {120, 401}, {64, 64}, {200, 97}, {300, 400}};
    for (int round = 0; round < 3; ++round)
        for (const auto& size : sizes) {
            const std::vector<Strip> all = many_strips(size[0], size[1]);
            int inked = 0;
            EXPECT_EQ(differing(painted(Through::GATHERED, all, size[0], size[1]),
                                painted(Through::TOOLKIT, all, size[0], size[1]), &inked),
                      0)
                << size[0] << " x " << size[1] << ", round " << round;
            EXPECT_GT(inked, size[0] * size[1] / 20);
        }
}

}  // namespace
}  // namespace render_test
