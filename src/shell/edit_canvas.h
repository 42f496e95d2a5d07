#pragma once
// The editing canvas of a child window: a sheet (kind 1), a library part
// (2), a title-block template (3) or a part preview (4). The canvas owns its
// document `mySchema`; the drawing base shows it. The interactive modes
// (`myPile`) come with the sheet editor: the fields the dialogs and editors
// name are here, empty.
#include <cstdint>
#include <string>
#include <vector>


#include "foundation/geometry.h"
#include "render/render_canvas.h"
#include "shell/commands.h"

struct Field;
struct Ident;
struct Library;
struct PlacedPart;
struct Power;
struct Schema;
struct SchItem;
struct SubSheet;
struct Text;

// The drawing base shows the document and binds its view; the seam's
// canvas word is that base (RenderCanvas*).
class EditCanvas : public RenderCanvas {
public:
    EditCanvas(wxWindow* parent, int kind);
    ~EditCanvas() override;

    int kind;                    // CANVAS_SHEET .. CANVAS_PREVIEW
    Schema* mySchema = nullptr;  // owned
    std::vector<void*> myPile;   // interactive modes (the sheet editor's)

    // Current items of the item dialogs (not owned).
    Text* current_text = nullptr;
    PlacedPart* current_part = nullptr;
    SchItem* current_label = nullptr;  // power, port and net property share it
    SubSheet* current_sheet = nullptr;
    Ident* current_net = nullptr;
    Field* current_field = nullptr;
    // The library editor's state.
    Schema* load_copy = nullptr;
    Schema* undo_slot = nullptr;
    std::vector<std::string> names;
    int nb_names = 0;
    uint8_t converted = 0;
    SchItem* current_item = nullptr;
    // Auto-activation read by the event handler.
    bool auto_activate = false;
    int restart_command = 0;
    uint8_t auto_operation = 0;
    int click_state = 0;
    // Repeat range and the prompt and mode name last shown.
    SchItem* repeat_first = nullptr;
    SchItem* repeat_last = nullptr;
    std::string prompt;
    std::string mode_name;
    Point cursor;

    // Takes the document (the canvas then owns it) and shows it; the former
    // one is freed.
    void TakeDocument(Schema* schema);
    // Zoom steps around the window's centre.
    void ZoomBy(double factor);
    void ZoomFit();
    void ZoomOne();

    // The save question; false on Cancel or a failed save.
    bool OkToClose();

private:
    void OnFitPaint(wxPaintEvent& event);
    void OnMotion(wxMouseEvent& event);
};

// The cursor position of the status line, rounded.
void canvas_set_cursor_pos(Point world);
