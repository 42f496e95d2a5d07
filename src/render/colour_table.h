#pragma once
// The colour table: every colour the drawing layer paints with is an entry
// of one process-wide table of wxColour objects, looked up by its RGB word
// (0x00BBGGRR, red in the low byte, as the configuration stores colours).
//
// The table starts with STANDARD_COLOURS fixed entries (colour_table_build);
// colours the user picks are added behind them (colour_add). Entries are
// never removed while the program runs, so a reference handed out stays
// valid until colour_table_free.
#include <cstdint>

#include <wx/colour.h>

#include "foundation/services.h"

constexpr int STANDARD_COLOURS = 20;

// Builds the standard entries and the extra red colour; a second call keeps
// the table as it is.
void colour_table_build();
// Releases every entry (end of the program, tests).
void colour_table_free();
int colour_table_size();

// The RGB word of standard entry 0..19; 0 (black) outside.
uint32_t standard_colour_rgb(int index);
// Sets every colour property but the sheet-file and border colours to its
// standard entry (start-up, before the INI file is read).
void apply_standard_colours();

// The table entry of that RGB, black when the table holds none.
const wxColour& colour_by_rgb(uint32_t rgb);
// Adds the RGB unless an entry has it; returns its entry.
const wxColour& colour_add(uint32_t rgb);
// 0x00BBGGRR of a colour.
uint32_t rgb_of(const wxColour& colour);
wxColour colour_of_rgb(uint32_t rgb);

// The colour dialog starting from *colour; 1 when the user confirmed (the
// colour then holds the choice), 0 otherwise.
int choose_colour(wxColour* colour);

// Keeps the two routines; a save routine is given entries 0..19 at once
// (index, red, green, blue). The load routine is asked for the same entries
// by colour_table_load; the table keeps its own colours whatever it answers.
void colour_table_attach(ColourLoadFn load, ColourSaveFn save);
void colour_table_load();

// The extra red colour (255, 0, 0) made with the table.
const wxColour& colour_red();
