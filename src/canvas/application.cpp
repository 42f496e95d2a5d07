#include "canvas/application.h"

namespace {

Application defaults;
Application* installed_application = nullptr;

}  // namespace

Application& application() { return installed_application ? *installed_application : defaults; }

void install_application(Application* installed) { installed_application = installed; }
