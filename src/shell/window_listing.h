#pragma once
// A listing of the program's windows for the program-level tests, which
// drive the real program from another process: every shown top-level
// window and, below it, every shown control, one line each, in the order
// the windows were made (a control's label comes right before it). The
// running copy answers it to a request over its single-instance channel
// while the TN_TEST environment variable is set.
//
// A line: depth, class, label, "x y width height" on the screen (of a
// top-level window its own area, where the toolkit has it, without the
// frame a window manager puts round it), enabled
// (0 or 1), value (a text control's text, a check box's or radio button's
// 0 or 1, a choice's or list box's selected entries joined by ',', a
// status line's fields joined by " | "),
// separated by tabs; a tab, a line end and a backslash inside a field are
// written \t, \n and \\. The rows of a list shown as a tree follow it as
// its children of class "row": their cells joined by " | ", the place of
// their first cell, and 1 as value when the row is selected.
#include <string>

std::string describe_windows();
