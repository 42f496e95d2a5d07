#pragma once
// The start of a benchmark of the program's windows: the toolkit on the
// display, the program's settings and services, and a folder of the
// bench's own, so that nothing of the user's is read or written.
#include <string>

namespace bench_windows {

// Makes a temporary folder named after `name` and the process (removed at
// exit, after leaving it should the bench have moved into it), takes it as
// the configuration, project and library folder, starts GTK (again after a
// pause while a busy display refuses the client) and the toolkit, then the
// program's configuration, libraries and services, as the program's own
// start does. Exits with a message when there is no display. Returns the
// folder.
std::string start(const char* name);

// Opens the program's main window, 1000 x 720 at the top left of the
// display, as every bench of the windows sees it.
void open_main_frame();

}  // namespace bench_windows
