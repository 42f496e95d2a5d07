// Program entry: the application object of the shell.
#include "shell/app.h"

wxIMPLEMENT_APP(MyApp);

// Leak checking (sanitizer builds): fontconfig keeps its pattern and font
// caches for the life of the process and never frees them. Nothing of ours
// allocates there.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
