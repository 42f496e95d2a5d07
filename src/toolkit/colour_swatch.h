#pragma once
// A button that shows a colour: a swatch framed in black. A click (or the
// keyboard's Space and Enter) asks for a colour starting from the shown
// one; a confirmed choice is shown and reported to on_change.
#include <cstdint>
#include <functional>

#include <wx/button.h>

class ColourSwatch : public wxButton {
public:
    ColourSwatch(wxWindow* parent, wxWindowID id, uint32_t rgb,
                 const wxSize& size = wxSize(36, 20));

    // 0x00BBGGRR.
    void SetColour(uint32_t rgb);
    uint32_t Colour() const { return rgb_; }

    // The colour confirmed in the chooser.
    std::function<void(uint32_t rgb)> on_change;

private:
    void Paint();
    uint32_t rgb_;
    wxSize swatch_;
};
