// Program entry: the application object of the shell.
#include "foundation/heap.h"
#include "shell/app.h"

wxIMPLEMENT_APP_NO_MAIN(MyApp);

int main(int argc, char** argv) {
    tune_process_heap();
    wxDISABLE_DEBUG_SUPPORT();
    return wxEntry(argc, argv);
}

// Leak checking (sanitizer builds): fontconfig keeps its pattern and font
// caches for the life of the process and never frees them, and so does GIO
// its MIME type cache (filled when the toolkit loads an icon of its theme
// and guesses the icon file's content type). Nothing of ours allocates in
// either library.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libgio-2.0.so\n";
}
