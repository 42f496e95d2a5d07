// Start-up and stop of the program.
#include "shell/app.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/msgdlg.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#include "dialogs/resource_dialogs.h"
#include "foundation/errors.h"
#include "foundation/file_system.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/items/library.h"
#include "platform/profile.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "shell/window_listing.h"
#include "toolkit/dialog_style.h"
#include "toolkit/toolkit_start.h"

namespace {

const char* const raise_request = "raise";

// The first copy's answer to a second start: its frame comes forward.
class RaiseConnection : public wxConnection {
public:
    bool OnExec(const wxString&, const wxString& data) override {
        if (data == raise_request && main_frame) {
            main_frame->Iconize(false);
            main_frame->Raise();
        }
        return true;
    }
    // The program-level tests ask for the listing of the windows
    // (shell/window_listing.h); nothing else is answered.
    const void* OnRequest(const wxString&, const wxString& item, size_t* size,
                          wxIPCFormat) override {
        if (item != "windows" || !std::getenv("TN_TEST")) return nullptr;
        listing_ = describe_windows();
        *size = listing_.size() + 1;
        return listing_.c_str();
    }

private:
    std::string listing_;
};

class RaiseServer : public wxServer {
public:
    wxConnectionBase* OnAcceptConnection(const wxString&) override { return new RaiseConnection; }
};

// Where the lock and the socket of the running copy live: beside the INI
// file, so that a separate configuration is a separate copy.
std::string instance_dir() {
    const char* base = std::getenv("XDG_CONFIG_HOME");
    std::string dir =
        base && *base ? base
                      : std::string(std::getenv("HOME") ? std::getenv("HOME") : ".") + "/.config";
    dir += "/tessaron";
    wxFileName::Mkdir(wxString::FromUTF8(dir), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    return dir;
}

// Under a window manager the toolkit shows a top-level window only once
// the manager has told it the frame's size, and lays the window out at a
// few pixels meanwhile: the MDI frame's toolbar and notebook cannot fit and
// GTK warns on the standard error stream. A window realized before it is
// shown is shown at once, at its size.
void realize_before_show(wxWindow* window) {
    using Realize = void (*)(void*);
    if (auto realize = reinterpret_cast<Realize>(dlsym(RTLD_DEFAULT, "gtk_widget_realize")))
        realize(window->GetHandle());
}

void clear_log_file() {
    const char* log_file = strproper_get(LOGFILE);
    if (proper_get(CLEAR_LOGFILE) && log_file && *log_file && file_access(log_file, 0) == 0)
        write_atomically(
            log_file, "w", [](FILE*) { return 0; }, false);
}

}  // namespace

StartOptions parse_start_options(const std::vector<std::string>& args) {
    StartOptions o;
    auto takes_file = [&](size_t i) { return i + 1 < args.size() && args[i + 1][0] != '-'; };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-wdial") {
            o.wdial = true;
        } else if (a == "-debug") {
            o.debug = true;
        } else if (a == "-conf") {
            if (i + 1 < args.size()) o.conf = args[++i];
        } else if (a == "-libedit") {
            o.libedit = true;
            if (takes_file(i)) o.libedit_file = args[++i];
        } else if (a == "-template") {
            o.templ = true;
            if (takes_file(i)) o.template_file = args[++i];
        } else if (!a.empty()) {
            o.sheets.push_back(a);
        }
    }
    return o;
}

bool MyApp::EnsureSingleInstance() {
    std::string dir = instance_dir();
    wxString service = wxString::FromUTF8(dir + "/running.sock");
    instance_ = std::make_unique<wxSingleInstanceChecker>();
    if (!instance_->Create(wxS("running.lock"), wxString::FromUTF8(dir)) ||
        !instance_->IsAnotherRunning()) {
        if (wxFileExists(service)) wxRemoveFile(service);  // left by a copy that crashed
        server_ = std::make_unique<RaiseServer>();
        if (!server_->Create(service)) server_.reset();
        return true;
    }
    wxClient client;
    if (wxConnectionBase* c = client.MakeConnection(wxS("localhost"), service, wxS("tessaron"))) {
        c->Execute(raise_request);
        c->Disconnect();
        delete c;
    }
    wxMessageBox(wxS("This application is already running!"), wxS("WARNING"),
                 wxOK | wxICON_EXCLAMATION);
    return false;
}

bool MyApp::Initialize(int& argc, wxChar** argv) {
    ToolkitStartScope start;
    GlSkippedScope no_gl;
    return wxApp::Initialize(argc, argv);
}

bool MyApp::OnInit() {
    if (!memory_probe(1024 * 1024)) {
        wxMessageBox(wxS("Not Enough Memory"), wxS("Windows Fatal Error"), wxOK | wxICON_HAND);
        return false;
    }
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i].utf8_string());
    StartOptions options = parse_start_options(args);
    if (options.wdial) dialog_style = dialog_style_message = 0x340204;
    debug_enabled = options.debug;

    config_init();
    config_init_keys();
    init_Libraries();
    set_message_formatter(error_message);
    install_program_services();
    const bool unreadable =
        config_startup(options.conf.c_str(), argv[0].utf8_string().c_str()) != 0;
    if (!EnsureSingleInstance()) return false;
    // The settings of this run stay the defaults and are not kept: the file
    // that holds the user's is never written over.
    if (unreadable) error_box(nullptr, "Error", MB_ICON_STOP, 1, profile_path(config_ini_name()));
    clear_log_file();

    auto* frame =
        new MyFrame(wxS("Tessaron Schematic Editor"), wxDefaultPosition, wxSize(1000, 720));
    frame->RestorePlace();
    realize_before_show(frame);
    frame->Show();
    // The sheets' tabs come into a frame laid out at its size: the tabs'
    // notebook, born at the toolkit's default size, would be laid out too
    // small to hold them.
    for (const std::string& sheet : options.sheets) open_sheet(sheet.c_str(), nullptr);
    // The log takes room from the drawing: it is shown when there is
    // something to read in it (a job, a message, Window > Log Window).
    if (log_has_text()) show_log_window();
    if (proper_get(SHOW_PART_PALETTE)) frame->ShowPalette(true);
    SetTopWindow(frame);
    autosave_start();
    start_tips_timer();
    if (options.libedit)
        new_library_child(options.libedit_file.empty() ? nullptr : options.libedit_file.c_str());
    if (options.templ)
        new_template_child(options.template_file.empty() ? nullptr : options.template_file.c_str());
    return true;
}

int MyApp::OnExit() {
    server_.reset();
    close_help();
    free_open_libraries();
    config_free();
    return wxApp::OnExit();
}
