#include "render/colour_table.h"

#include <deque>

#include <wx/app.h>
#include <wx/colordlg.h>

#include "foundation/properties.h"
#include "toolkit/asking.h"

namespace {

// Sixteen colours after the classic display palette and four pastel
// shades, in the order the configuration's colour numbers count them. The
// entries the default colours take are chosen for a sheet that reads like
// paper: entry 0, the background, a warm white; every colour drawn on it by
// default (entries 2 to 5, 7, 8 and 14, and the near-black raw colours the
// sheet-file name and the border keep) stands out from it, and from white
// paper, at a contrast of 3:1 or more.
constexpr uint32_t standard_rgb[STANDARD_COLOURS] = {
    0xF5FAFA, 0x800000, 0x008000, 0x808000, 0x0000B0, 0x800080, 0x004080,
    0x404040, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF,
    0x0064A0, 0xFFFFFF, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0,
};

struct ColourTable {
    // A deque keeps the addresses of its entries when it grows.
    std::deque<wxColour> entries;
    wxColour red{255, 0, 0};
    wxColour black{0, 0, 0};
    ColourLoadFn load = nullptr;
    ColourSaveFn save = nullptr;
};

ColourTable& table() {
    static ColourTable t;
    return t;
}

const wxColour* find(uint32_t rgb) {
    for (const wxColour& c : table().entries)
        if (rgb_of(c) == (rgb & 0xFFFFFF)) return &c;
    return nullptr;
}

}  // namespace

uint32_t rgb_of(const wxColour& colour) {
    return uint32_t(colour.Red()) | uint32_t(colour.Green()) << 8 | uint32_t(colour.Blue()) << 16;
}

wxColour colour_of_rgb(uint32_t rgb) {
    return wxColour(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

void colour_table_build() {
    ColourTable& t = table();
    if (!t.entries.empty()) return;
    for (uint32_t rgb : standard_rgb) t.entries.push_back(colour_of_rgb(rgb));
}

void colour_table_free() { table().entries.clear(); }

int colour_table_size() { return static_cast<int>(table().entries.size()); }

uint32_t standard_colour_rgb(int index) {
    return index >= 0 && index < STANDARD_COLOURS ? standard_rgb[index] : 0;
}

void apply_standard_colours() {
    struct Default {
        int id;
        int entry;
    };
    static constexpr Default defaults[] = {
        {COLOR_FILM, 14},    {COLOR_GRID, 8},     {COLOR_BACKG, 0},      {COLOR_PARTBODY, 7},
        {COLOR_PINNUM, 7},   {COLOR_PINNAME, 7},  {COLOR_WIRE, 4},       {COLOR_BUS, 2},
        {COLOR_JUNCTION, 4}, {COLOR_POWEROBJ, 5}, {COLOR_POWERTXT, 5},   {COLOR_SHEETBODY, 3},
        {COLOR_SHEETTXT, 3}, {COLOR_SHEETNET, 3}, {COLOR_PORT, 5},       {COLOR_PORTTXT, 5},
        {COLOR_LABEL, 3},    {COLOR_COMMENT, 14}, {COLOR_DASHED, 7},     {COLOR_TITLE, 14},
        {COLOR_TITLETXT, 4}, {COLOR_ERROR, 14},   {COLOR_NOCONNECT, 14}, {COLOR_LAYOUT, 14},
        {COLOR_TAG, 14},     {COLOR_POWPIN, 7},
    };
    const uint8_t writing = config_write_flag;
    config_write_flag = 0;
    for (const Default& d : defaults) proper_set(d.id, int32_t(standard_colour_rgb(d.entry)), 0);
    for (int i = 0; i < 3; ++i) proper_set(COLOR_PARTFIELD, i, int32_t(standard_colour_rgb(8)), 0);
    config_write_flag = writing;
}

const wxColour& colour_by_rgb(uint32_t rgb) {
    const wxColour* c = find(rgb);
    return c ? *c : table().black;
}

const wxColour& colour_add(uint32_t rgb) {
    if (const wxColour* c = find(rgb)) return *c;
    table().entries.push_back(colour_of_rgb(rgb));
    return table().entries.back();
}

int choose_colour(wxColour* colour) {
    wxColourData data;
    data.SetChooseFull(true);
    data.SetColour(*colour);
    if (!ask_colour(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, &data)) return 0;
    *colour = data.GetColour();
    return 1;
}

void colour_table_attach(ColourLoadFn load, ColourSaveFn save) {
    colour_table_build();
    table().load = load;
    table().save = save;
    if (!save) return;
    for (int i = 0; i < STANDARD_COLOURS; ++i) {
        const wxColour& c = table().entries[i];
        save(i, c.Red(), c.Green(), c.Blue());
    }
}

void colour_table_load() {
    colour_table_build();
    if (!table().load) return;
    for (int i = 0; i < STANDARD_COLOURS; ++i) {
        int r = 0, g = 0, b = 0;
        table().load(i, &r, &g, &b);
    }
}

const wxColour& colour_red() { return table().red; }
