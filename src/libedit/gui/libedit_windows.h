#pragma once
// The library editor's windows: the library and title-block child windows,
// their File commands, and the host through which the editor
// (libedit/libedit.h) reaches the window, its menus and dialogs. The
// windows only wire events to the editor; the shell makes the child windows
// and its command table (shell/menu_command.cpp) runs the Edit and Place
// commands on the editor and the dialogs.
#include <memory>
#include <string>

class EditCanvas;
class LibEditHost;

// The window side of a library or template canvas's editor.
std::unique_ptr<LibEditHost> make_libedit_host(EditCanvas* canvas);

// Reads the file into a new library or title-block window's document (none:
// it stays empty): 0 or the reader's code. A library window's library is
// the file's, never the document's own.
int libedit_window_load(EditCanvas* canvas, const std::string& path);

// Save (ask_name false) and Save As of a library or template window, through
// the safe-write routine: 0; a writer's code (shown in an error box, the
// document stays modified); DOC_CANCELLED when the user declined.
int libedit_window_save(EditCanvas* canvas, bool ask_name);

// File > New of a library window: after the save question, an empty
// library named "Untitled" and no part under edit.
void libedit_window_new_part(EditCanvas* canvas);
