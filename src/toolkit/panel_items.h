#pragma once
// Reading and setting the items of a dialog panel. The setters change an
// item only when the new value differs from the shown one, so that refilling
// a dialog neither flickers nor sends change events. Null items are ignored
// (getters answer 0 or an empty text).
#include <cstddef>
#include <string>

class wxWindow;

// Runs the file selector (through the service seam) and, when a file was
// chosen, makes its path the text item's text; a cancel changes nothing.
void select_file_into(wxWindow* parent, wxWindow* text_item, const char* directory,
                      const char* wildcard, const char* message);

// The value of a check box (0 or 1), a choice or radio box (the selected
// index, -1 for none) or a slider. Any other kind of item is a programming
// error.
int control_get_value(wxWindow* item);
void control_set_value(wxWindow* item, int value);

// The text of a text item (an entry field or a message). Text is UTF-8.
std::string control_get_text(wxWindow* item);
// Copies the text into the buffer, cut to size - 1 bytes; returns the buffer.
char* control_get_text_into(wxWindow* item, char* buffer, size_t size);
// Compared exactly with the current text.
void control_set_text(wxWindow* item, const char* text);
// Formats into a 1 KB buffer (a longer text is cut) and sets it.
void control_printf(wxWindow* item, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Reads the item's number, steps and clamps it (control_step_value), and
// writes it back with the format (which takes one int). Returns the new
// number; *text gets the new text when not null.
int control_step_number(wxWindow* item, std::string* text, int step, const char* format, int min,
                        int max);

// A window's label (a frame's or dialog's title, a button's caption).
std::string window_get_label(wxWindow* window);
// Formats into a 1 KB buffer and sets the label when it differs.
void window_printf(wxWindow* window, const char* format, ...) __attribute__((format(printf, 2, 3)));

// --- added panel items ----------------------------------------------------------------
class FlowPanel;
class wxScrollBar;
class wxStaticLine;

// A scroll bar item with an optional label: horizontal (or vertical) of the
// given length in pixels, positions 0..range-1, a page of `page` positions.
wxScrollBar* add_scroll_bar(FlowPanel* panel, const char* label, bool vertical, int length,
                            int range, int page, int position);
// A separator line on a row of its own (horizontal), or a vertical line of
// the given length standing between two items of a row.
wxStaticLine* add_separator(FlowPanel* panel, bool vertical, int length);
