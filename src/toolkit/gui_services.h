#pragma once
// Installs the GUI's side of the core's service seam: message boxes, the
// bell, debug output, the fatal exit, the pinnable dialogs' calls, the file
// selector and the screen's size, all through wxWidgets. Text measuring,
// fonts, colours, canvases and open documents keep their headless answers
// until the drawing layer and the shell provide them.

// Translation of the program's message-box style bits to wxWidgets' own and
// of wxWidgets' answer back to the program's (their numbers differ).
long wx_style_from_box_style(int style);
int box_answer_from_wx(int wx_answer);
// The program's FILE_SELECT_* flags as wxFileDialog styles.
long wx_style_from_file_flags(int flags);

// Writes the text to the standard error stream, shows it in a box when
// show_box is set (the installed service sets it when the toolkit has a
// display), and ends the process with exit status 1.
[[noreturn]] void gui_fatal_exit(const char* text, bool show_box);

void install_gui_services();
