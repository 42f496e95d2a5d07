#include "toolkit/colour_swatch.h"

#include <wx/colordlg.h>
#include <wx/dcmemory.h>

#include "toolkit/asking.h"

namespace {
wxColour colour_of(uint32_t rgb) {
    return wxColour(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
uint32_t rgb_of(const wxColour& c) {
    return static_cast<uint32_t>(c.Red()) | static_cast<uint32_t>(c.Green()) << 8 |
           static_cast<uint32_t>(c.Blue()) << 16;
}
}  // namespace

ColourSwatch::ColourSwatch(wxWindow* parent, wxWindowID id, uint32_t rgb, const wxSize& size)
    : wxButton(parent, id, wxString(), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT),
      rgb_(rgb),
      swatch_(parent->FromDIP(size)) {
    Paint();
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        wxColourData data;
        data.SetColour(colour_of(rgb_));
        if (!ask_colour(this, &data)) return;
        SetColour(rgb_of(data.GetColour()));
        if (on_change) on_change(rgb_);
    });
}

void ColourSwatch::SetColour(uint32_t rgb) {
    rgb_ = rgb;
    Paint();
}

// The swatch is the button's picture: black, the colour inset by 2 pixels.
void ColourSwatch::Paint() {
    wxBitmap picture(swatch_);
    {
        wxMemoryDC dc(picture);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(*wxBLACK_BRUSH);
        dc.DrawRectangle(0, 0, swatch_.x, swatch_.y);
        dc.SetBrush(wxBrush(colour_of(rgb_)));
        dc.DrawRectangle(2, 2, swatch_.x - 4, swatch_.y - 4);
    }
    SetBitmap(picture);
}
