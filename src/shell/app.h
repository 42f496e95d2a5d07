#pragma once
// The application object and the start-up options.
#include <memory>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/ipc.h>
#include <wx/snglinst.h>

// What the command line asks for.
struct StartOptions {
    bool wdial = false;               // "-wdial": the wide dialog style word
    bool debug = false;               // "-debug": debug output on
    std::string conf;                 // "-conf" FILE: the INI file to use
    std::vector<std::string> sheets;  // every other argument
    bool libedit = false;             // "-libedit" [FILE]
    std::string libedit_file;
    bool templ = false;  // "-template" [FILE]
    std::string template_file;
};
// Options are recognised anywhere; a "-libedit" or "-template" takes the
// next argument as its file unless that begins with '-'. "-conf" without a
// file is ignored.
StartOptions parse_start_options(const std::vector<std::string>& args);

class MyApp : public wxApp {
public:
    // The toolkit's start (see toolkit/toolkit_start.h).
    bool Initialize(int& argc, wxChar** argv) override;
    bool OnInit() override;
    int OnExit() override;

private:
    // False when another copy runs (it was asked to come forward).
    bool EnsureSingleInstance();
    std::unique_ptr<wxSingleInstanceChecker> instance_;
    std::unique_ptr<wxServer> server_;
};
