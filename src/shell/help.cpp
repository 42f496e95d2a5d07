// Help through the HTML help controller, at the numeric contexts the
// commands and dialogs name. The book is looked for beside the INI file and
// beside the program, under the help file's name with the suffix of an HTML
// help book (".htb" archive or ".hhp" project).
#include <memory>
#include <string>

#include <wx/filename.h>
#include <wx/html/helpctrl.h>
#include <wx/stdpaths.h>

#include "foundation/log.h"
#include "foundation/properties.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"

namespace {

std::unique_ptr<wxHtmlHelpController> controller;
std::string loaded_book;

// The book for the help file, or empty when none is installed.
wxString find_book(const char* help_file) {
    wxFileName name(wxString::FromUTF8(help_file));
    wxArrayString dirs;
    const char* config_dir = strproper_get(DIR_CONFIG);
    if (config_dir && *config_dir) dirs.Add(wxString::FromUTF8(config_dir));
    dirs.Add(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath());
    for (const wxString& dir : dirs) {
        for (const char* ext : {"htb", "hhp"}) {
            wxFileName candidate(dir, name.GetName(), wxString::FromUTF8(ext));
            if (candidate.FileExists()) return candidate.GetFullPath();
        }
    }
    return {};
}

}  // namespace

void show_help(const char* help_file, long context) {
    if (!help_file || !*help_file) help_file = "Tessaron.hlp";
    wxString book = find_book(help_file);
    if (book.empty()) {
        log_printf("Help is not installed: no help book for %s (context %ld).\n", help_file,
                   context);
        show_log_window();
        return;
    }
    if (!controller || loaded_book != book.utf8_string()) {
        controller = std::make_unique<wxHtmlHelpController>();
        if (!controller->AddBook(wxFileName(book))) {
            log_printf("Help book %s cannot be read.\n", book.utf8_string().c_str());
            show_log_window();
            controller.reset();
            return;
        }
        loaded_book = book.utf8_string();
    }
    if (context == 0 || context == 600000)
        controller->DisplayContents();
    else if (context == 600001)
        controller->DisplayIndex();
    else
        controller->Display(static_cast<int>(context));
}
