#include "editor/gui/application.h"

namespace {

// A window may still call in while the program's static objects go at its
// end: neither the default nor the installed application is destroyed.
Application* installed_application = nullptr;

}  // namespace

Application& application() {
    static Application* const defaults = new Application;
    return installed_application ? *installed_application : *defaults;
}

void install_application(Application* installed) { installed_application = installed; }
