// Program entry. The editor window is not built yet: the program starts,
// installs its services and says so.
#include <cstdio>

#include "toolkit/gui_services.h"

int main() {
    install_gui_services();
    std::puts("Tessaron Schematic Editor: the core is built; the editor window is not available yet.");
    return 0;
}
