#pragma once
// Installs the GUI's side of the core's service seam: message boxes, the
// bell, debug output and fatal exits through wxWidgets.

// Translation of the program's message-box style bits to wxWidgets' own and
// of wxWidgets' answer back to the program's (their numbers differ).
long wx_style_from_box_style(int style);
int box_answer_from_wx(int wx_answer);

void install_gui_services();
