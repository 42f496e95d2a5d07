// Program entry: the application object of the shell.
#include "shell/app.h"

wxIMPLEMENT_APP(MyApp);
