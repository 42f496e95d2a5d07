// Help through the HTML help controller, at the numeric contexts the
// commands, dialogs and editing modes name. The book, "Tessaron.htb" (or
// its unpacked project "Tessaron.hhp"), is looked for beside the INI file
// and beside the program; F1 opens the page of what the user is doing.
#include <memory>
#include <string>
#include <vector>

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/notebook.h>
#include <wx/stdpaths.h>

#include "editor/tool_mode.h"
#include "foundation/log.h"
#include "platform/profile.h"
#include "shell/commands.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"

namespace {

// The pages of every notebook under the window laid out in the room the
// notebook gives them. The help window's navigation pages not shown first
// (the index, the search) are otherwise placed by the toolkit at the size
// they were laid out in while the window was still tiny, and their lists'
// scroll bars get less room than they need.
void lay_out_pages(wxWindow* window) {
    for (wxWindow* child : window->GetChildren()) {
        if (auto* book = dynamic_cast<wxNotebook*>(child)) {
            const wxSize area = book->GetSize() - book->CalcSizeFromPage(wxSize(0, 0));
            for (size_t i = 0; i < book->GetPageCount(); ++i) {
                book->GetPage(i)->SetSize(area);
                book->GetPage(i)->Layout();
            }
        }
        lay_out_pages(child);
    }
}

// The help controller's frame, every page laid out before it is first
// shown; the controller makes it as wxWidgets' own does.
class HelpFrame : public wxHtmlHelpFrame {
public:
    using wxHtmlHelpFrame::wxHtmlHelpFrame;
    bool Show(bool show = true) override {
        if (show && !IsShown()) {
            Layout();
            if (GetHelpWindow()) GetHelpWindow()->Layout();
            lay_out_pages(this);
        }
        return wxHtmlHelpFrame::Show(show);
    }
};

class HelpController : public wxHtmlHelpController {
protected:
    wxHtmlHelpFrame* CreateHelpFrame(wxHtmlHelpData* data) override {
        auto* frame = new HelpFrame(data);
        frame->SetController(this);
        frame->SetTitleFormat(m_titleFormat);
        frame->Create(m_parentWindow, wxID_ANY, wxEmptyString, m_FrameStyle, m_Config,
                      m_ConfigRoot);
        frame->SetShouldPreventAppExit(m_shouldPreventAppExit);
        m_helpFrame = frame;
        return frame;
    }
};

// The help controller and the book it has loaded.
struct Help {
    std::unique_ptr<wxHtmlHelpController> controller;
    std::string loaded_book;
} help_book;

// The help pages of the editing modes: the page of the mode on top of a
// canvas's stack, else the page of the canvas's editor.
struct ModeHelp {
    const char* mode;
    long context;
};
constexpr ModeHelp mode_help[] = {
    {"Main Mode", HELP_SHEET_EDITOR},
    {"Add Wires,...", 2001},
    {"Add Junction", 2002},
    {"Add No Connect", 2003},
    {"Add Power", 2004},
    {"Add Port", 2005},
    {"Add Net", 2006},
    {"Add Netprop", 2007},
    {"Add Part", 2008},
    {"Add Sheet", 2009},
    {"Add Text", 2010},
    {"Enter Sheet", 2011},
    {"Zoom", 2012},
    {"Zoom Area", 2012},
    {"Find Item", 2013},
    {"Place Book Mark", 2014},
    {"Libedit Main Mode", HELP_LIBRARY_EDITOR},
    {"Add Vectors ,...", 2021},
    {"Add Body", 2022},
};

// The directories the program's own files are looked for in: the INI
// file's, then the program's.
std::vector<wxString> program_file_dirs() {
    return {wxString::FromUTF8(profile_directory()),
            wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath()};
}

// The book for the help file, or empty when none is installed.
wxString find_book(const char* help_file) {
    const wxString name = wxFileName(wxString::FromUTF8(help_file)).GetName();
    for (const wxString& dir : program_file_dirs()) {
        for (const char* ext : {"htb", "hhp"}) {
            wxFileName candidate(dir, name, wxString::FromUTF8(ext));
            if (candidate.FileExists()) return candidate.GetFullPath();
        }
    }
    return {};
}

}  // namespace

std::string program_file_path(const char* name) {
    for (const wxString& dir : program_file_dirs()) {
        wxFileName candidate(dir, wxString::FromUTF8(name));
        if (candidate.FileExists()) return candidate.GetFullPath().utf8_string();
    }
    return {};
}

long mode_help_context(const char* mode_name, int canvas_kind) {
    if (mode_name)
        for (const ModeHelp& help : mode_help)
            if (std::string(help.mode) == mode_name) return help.context;
    switch (canvas_kind) {
        case CANVAS_SHEET: return HELP_SHEET_EDITOR;
        case CANVAS_LIBRARY: return HELP_LIBRARY_EDITOR;
        case CANVAS_TEMPLATE: return HELP_TEMPLATE_EDITOR;
        default: return 0;
    }
}

std::vector<long> mode_help_contexts() {
    std::vector<long> contexts = {HELP_SHEET_EDITOR, HELP_LIBRARY_EDITOR, HELP_TEMPLATE_EDITOR};
    for (const ModeHelp& help : mode_help) contexts.push_back(help.context);
    return contexts;
}

void show_mode_help(EditCanvas* canvas) {
    if (!canvas) {
        show_help("Tessaron.hlp", 0);
        return;
    }
    const char* mode = canvas->myPile.empty() ? nullptr : canvas->myPile.back()->mode->name;
    show_help("Tessaron.hlp", mode_help_context(mode, canvas->kind));
}

void show_help(const char* help_file, long context) {
    if (!help_file || !*help_file) help_file = "Tessaron.hlp";
    wxString book = find_book(help_file);
    if (book.empty()) {
        log_printf("Help is not installed: no help book for %s (context %ld).\n", help_file,
                   context);
        show_log_window();
        return;
    }
    if (!help_book.controller || help_book.loaded_book != book.utf8_string()) {
        // The packed book is a zip archive.
        static bool archives = (wxFileSystem::AddHandler(new wxArchiveFSHandler), true);
        (void)archives;
        help_book.controller = std::make_unique<HelpController>();
        if (!help_book.controller->AddBook(wxFileName(book))) {
            log_printf("Help book %s cannot be read.\n", book.utf8_string().c_str());
            show_log_window();
            help_book.controller.reset();
            return;
        }
        help_book.loaded_book = book.utf8_string();
    }
    if (context == 0 || context == 600000)
        help_book.controller->DisplayContents();
    else if (context == 600001)
        help_book.controller->DisplayIndex();
    else if (!help_book.controller->Display(static_cast<int>(context)))
        help_book.controller->DisplayContents();
}

void close_help() {
    help_book.controller.reset();
    help_book.loaded_book.clear();
}
