#include "window/bench_windows.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include <wx/app.h>
#include <wx/init.h>

#include "foundation/errors.h"
#include "foundation/properties.h"
#include "model/items/library.h"
#include "shell/shell.h"
#include "shell/shell_services.h"
#include "toolkit/toolkit_start.h"

namespace bench_windows {

namespace {

namespace fs = std::filesystem;

std::string& folder() {
    static std::string dir;
    return dir;
}

}  // namespace

std::string start(const char* name) {
    static char program[64];
    std::snprintf(program, sizeof program, "%s", name);
    static char* argv[] = {program, nullptr};
    int argc = 1;
    setenv("NO_AT_BRIDGE", "1", 0);
    folder() =
        (fs::temp_directory_path() / (std::string(name) + "_" + std::to_string(getpid()))).string();
    fs::create_directories(folder());
    std::atexit([] {
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(folder(), ignored);
    });
    setenv("XDG_CONFIG_HOME", folder().c_str(), 1);
    int gtk_argc = argc;
    char** gtk_argv = argv;
    start_gtk_patiently(&gtk_argc, &gtk_argv);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "%s: no display; run it under xvfb-run\n", name);
        std::exit(1);
    }
    config_init();
    config_init_keys();
    init_Libraries();
    set_message_formatter(error_message);
    install_program_services();
    config_write_flag = 0;
    proper_set(DIR_PROJECT, folder().c_str(), 0);
    proper_set(DIR_LIBRARY, folder().c_str(), 0);
    return folder();
}

void open_main_frame() {
    auto* frame = new MyFrame(wxS("Tessaron Schematic Editor"), wxPoint(0, 0), wxSize(1000, 720));
    frame->Show();
}

}  // namespace bench_windows
