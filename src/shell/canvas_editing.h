#pragma once
// The sheet editor wired to the editing canvas by the shell: the canvas's
// session gets the host (CanvasHost) through which its requests (redraw,
// ghosts, prompt, cursor, undo menu, windows, the item dialogs) reach the
// canvas and the application, and the canvas's mouse and key messages and
// its two timers (the 500 ms blink of the cross-hair, the 100 ms move timer
// that scrolls the view while a button is held outside the window) are
// bound to its handlers (editor/gui/canvas_events.cpp). The canvas calls these
// through the application (editor/gui/application.h).
class EditCanvas;

// Binds the canvas's events and timers and starts its session with the
// base mode of its kind. Called once when the canvas is made.
void editor_attach(EditCanvas* canvas);
// Ends every mode (their ghosts and records released) before the canvas
// frees its document. Called by the canvas's destructor.
void editor_detach(EditCanvas* canvas);
// The canvas shows another document (`EditCanvas::TakeDocument`, and the
// canvas's first start): the session is closed, its modes ended, and opened
// on the document with the base mode of the canvas's kind; a library or
// title-block canvas's editor is reset and bound to it.
void editor_document_changed(EditCanvas* canvas);
