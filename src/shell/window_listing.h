#pragma once
// A listing of the program's windows for the program-level tests, which
// drive the real program from another process: every shown top-level
// window and, below it, every shown control, one line each, in the order
// the windows were made (a control's label comes right before it). The
// running copy answers it to a request over its single-instance channel
// while the TN_TEST environment variable is set.
//
// A line: depth, class, label, "x y width height" on the screen, enabled
// (0 or 1), value (a text control's text, a check box's 0 or 1, a choice's
// or list box's selected entries joined by ','), separated by tabs; a tab,
// a line end and a backslash inside a field are written \t, \n and \\.
#include <string>

std::string describe_windows();
