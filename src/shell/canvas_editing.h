#pragma once
// The sheet editor on the editing canvas: the canvas's mouse and key
// messages become editing events of its session, the session's requests
// (redraw, ghosts, prompt, cursor, undo menu, windows) go to the canvas and
// the shell, and the two timers of every canvas run here: the 500 ms blink
// of the cross-hair and the 100 ms move timer that scrolls the view while a
// button is held outside the window.
class EditCanvas;

// Binds the canvas's events and timers and starts its session with the
// base mode of its kind. Called once by the canvas's constructor.
void editor_attach(EditCanvas* canvas);
// Ends every mode (their ghosts and records released) before the canvas
// frees its document. Called by the canvas's destructor.
void editor_detach(EditCanvas* canvas);
// The canvas shows another document (`EditCanvas::TakeDocument`, and the
// canvas's first start): the session is closed, its modes ended, and opened
// on the document with the base mode of the canvas's kind; a library or
// title-block canvas's editor is reset and bound to it.
void editor_document_changed(EditCanvas* canvas);
struct EditSession;
// The canvas's session, on the document the canvas shows (the editor's
// commands run on it); null for a null canvas. A plain read: it never
// closes or opens anything, so that a caller holding a mode or the session
// keeps it across reads. Only taking a document opens the session anew
// (`editor_document_changed`); an undo that replaces the document hands
// it to the canvas (`EditCanvas::AdoptDocument`) in the same session.
EditSession* editor_session(EditCanvas* canvas);
