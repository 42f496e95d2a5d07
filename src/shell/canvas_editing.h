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
// The canvas shows another document: the modes end, the session follows.
void editor_document_changed(EditCanvas* canvas);
struct EditSession;
// The canvas's session, following the document the canvas shows now (the
// editor's commands run on it); null for a null canvas.
EditSession* editor_session(EditCanvas* canvas);
