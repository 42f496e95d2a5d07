#pragma once
// The library editor's windows: the library and title-block child windows,
// their File commands, and the host through which the editor
// (libedit/libedit.h) reaches the window, its menus and dialogs. The
// windows only wire events to the editor; the command table
// (shell/menu_command.cpp) runs the Edit and Place commands on the editor
// and the dialogs.
#include <memory>

class EditCanvas;
class LibEditHost;
class MyChild;
struct CommandCall;

// The window side of a library or template canvas's editor.
std::unique_ptr<LibEditHost> make_libedit_host(EditCanvas* canvas);

// A library window on the binary library file (none: an empty library).
// A file that cannot be read shows its code and name in an error box and
// opens nothing (null); the current window stays current.
MyChild* libedit_open_window(const char* file_name);
// A title-block window on the title-block file (none: an empty one), with
// the same failure handling.
MyChild* template_open_window(const char* file_name);

// Save (ask_name false) and Save As of a library or template window, through
// the safe-write routine: 0; a writer's code (shown in an error box, the
// document stays modified); DOC_CANCELLED when the user declined.
int libedit_window_save(EditCanvas* canvas, bool ask_name);

// File > Open: a file chosen among the native files opens in the window of
// its kind (sheet, library or title block) by its header.
void open_document_command(const CommandCall& call);

// File > New of a library window: after the save question, an empty
// library named "Untitled" and no part under edit.
void libedit_window_new_part(EditCanvas* canvas);
