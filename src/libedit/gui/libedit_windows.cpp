// The library and title-block windows and their menu commands.
#include "libedit/gui/libedit_windows.h"

#include <string>

#include <wx/timer.h>

#include "dialogs/forms/text_form.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_dialogs.h"
#include "libedit/gui/libedit_item_dialogs.h"
#include "libedit/libedit.h"
#include "libedit/libedit_edit.h"
#include "libedit/libedit_tools.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/view.h"
#include "render/render_fonts.h"
#include "toolkit/asking.h"

namespace {

class WindowHost : public LibEditHost {
public:
    explicit WindowHost(EditCanvas* canvas) : canvas_(canvas) {
        blink_timer_.Bind(wxEVT_TIMER,
                          [this](wxTimerEvent&) { libedit_blink_tick(editor_session(canvas_)); });
    }
    ~WindowHost() override { blink_timer_.Stop(); }
    void part_changed() override {
        libedit_partinfo_refresh(canvas_);
        libedit_pinout_refresh(canvas_);
        application().update_title(canvas_);
    }
    void names_changed() override { names_dialog_refill(canvas_); }
    void part_menus() override {
        application().enable_library_part_menus(canvas_);
        application().update_title(canvas_);
    }
    void zoom_fit() override { canvas_->ZoomFit(); }
    bool ok_to_close() override { return canvas_->OkToClose(); }
    void command(int id) override { application().command(canvas_, id, 0); }
    bool ask_text(const char* message, const char* caption, const char* proposal,
                  std::string* answer) override {
        *answer = proposal ? proposal : "";
        return ::ask_text(application().main_window(), message, caption, answer);
    }
    void edit_pin(PlacedPart* placed, Pin* pin) override {
        libedit_open_pin_dialog(canvas_, placed, pin);
    }
    void edit_text(SchItem* item) override { libedit_open_item_dialog(canvas_, item); }
    void blink(bool on) override {
        if (on)
            blink_timer_.Start(500);
        else
            blink_timer_.Stop();
    }
    int font_at_escapement(List** fonts, int font_id, int escapement) override {
        return ::font_at_escapement(fonts, font_id, escapement);
    }
    void fonts_used() override {
        if (canvas_->kind == CANVAS_TEMPLATE && canvas_->mySchema)
            purge_unused_fonts(canvas_->mySchema);
    }

private:
    EditCanvas* canvas_;
    wxTimer blink_timer_;  // the edit tool's blinking selection, 500 ms
};

// Bound to the document the canvas shows whenever the canvas takes one.
LibEdit* editor_of(EditCanvas* canvas) { return &canvas->libedit; }

// The file a library or template is saved to: the window's, or one chosen.
std::string save_name(EditCanvas* canvas, bool ask_name) {
    const bool library = canvas->kind == CANVAS_LIBRARY;
    std::string name = application().file_name(canvas);
    if (!ask_name && !name.empty()) return name;
    const int suffix = library ? EXT_CLB : EXT_TMPL;
    std::string dir =
        name.empty() ? full_dir_path(library ? DIR_LIBRARY : DIR_PROJECT) : dir_of(name.c_str());
    std::string proposal = name.empty() ? "Untitled" : name.substr(dir_of(name.c_str()).size());
    std::string wildcard = suffix_wildcard(suffix);
    std::string chosen;
    if (!services().file_selector(library ? "Save Library As" : "Save Title Block As", dir.c_str(),
                                  proposal.c_str(), wildcard.c_str() + 2, wildcard.c_str(),
                                  FILE_SELECT_SAVE, application().main_window(), &chosen))
        return {};
    if (!check_file_name(chosen.c_str())) {
        error_box(nullptr, "Error", MB_ICON_STOP, 84, chosen.c_str());
        return {};
    }
    chosen = make_kind_file_name(chosen.c_str(), library ? KIND_LIBRARY : KIND_TITLEBLOCK, 2);
    // Another existing file is replaced only when the user agrees.
    if (chosen != name && file_access(chosen.c_str(), 0) == 0) {
        std::string confirmed;
        if (!services().confirm_overwrite(chosen, &confirmed)) return {};
        chosen = confirmed;
    }
    return chosen;
}

}  // namespace

void libedit_window_new_part(EditCanvas* canvas) {
    if (!libedit_new_part(editor_of(canvas))) return;
    application().set_file_name(canvas, "Untitled");
    application().mark_saved(canvas);
}

std::unique_ptr<LibEditHost> make_libedit_host(EditCanvas* canvas) {
    return std::make_unique<WindowHost>(canvas);
}

int libedit_window_load(EditCanvas* canvas, const std::string& path) {
    LibEdit* ed = editor_of(canvas);
    Schema* schema = canvas->mySchema;
    const bool library = canvas->kind == CANVAS_LIBRARY;
    // The library window's library is the file's, never the document's own.
    if (library) set_Library_name(schema->library, "");
    if (path.empty()) return 0;
    return library ? libedit_open_library(ed, path.c_str())
                   : load_titleblock_file(path.c_str(), schema);
}

int libedit_window_save(EditCanvas* canvas, bool ask_name) {
    if (!canvas || !canvas->mySchema) return DOC_NO_SCHEMATIC;
    const std::string name = save_name(canvas, ask_name);
    if (name.empty()) return DOC_CANCELLED;
    LibEdit* ed = editor_of(canvas);
    int result = 0;
    if (canvas->kind == CANVAS_LIBRARY) {
        result = libedit_save_library(ed, name.c_str());
    } else {
        result = save_titleblock_file(name.c_str(), canvas->mySchema);
        if (result == 0) template_checkpoint(ed);
    }
    if (result != 0) {
        // The document stays modified and its window open: nothing is lost.
        error_box(nullptr, "Error", MB_ICON_STOP, RuntimeCode{result}, name.c_str());
        return result;
    }
    application().set_file_name(canvas, name.c_str());
    application().mark_saved(canvas);
    return 0;
}
