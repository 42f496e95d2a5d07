#pragma once
// The openers of the five tabbed and resource dialogs: the tip of the day,
// the Preferences and Load Part sheets, the Statistics box and the print
// preview. Each refuses a second opening (the open one comes forward),
// runs modally over the main frame and repaints the windows afterwards
// where its settings show.
class PrintJob;
class wxWindow;

// The help file every Help button names.
constexpr const char* HELP_FILE = "Tessaron.hlp";

// The main frame, or null without one.
wxWindow* dialog_parent_window();

// Options > Tips... and the start-up's tip: nothing when the tips file
// cannot be read.
void show_daytips();
// Options > Setup...
void show_preferences();
// Place > Part...
void show_load_part();
// Options > Statistics (a canvas is current).
void show_stats();
// File > Print Preview...
void show_print_preview(wxWindow* parent, PrintJob& job);

// The start-up's tip of the day: one second after the main frame shows,
// when TIPS_SHOW is on.
void start_tips_timer();
