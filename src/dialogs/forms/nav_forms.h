#pragma once
// The navigation dialogs without their windows: Bookmark Name (the name of
// one of a sheet's five bookmarks), Jump XY Position (the view and the
// pointer to typed coordinates), Find Text (a search of the document's
// texts, stepped through match by match) and Shortcuts (the modes stacked
// on a canvas and the keys active in them).
#include <string>
#include <vector>

#include "dialogs/forms/form.h"
#include "foundation/geometry.h"

struct EditSession;
struct Schema;

enum NavField : int {
    NF_BOOKMARK = 1,
    NF_X,
    NF_Y,
    NF_SEARCH,
    NF_CASE,
    NF_JOKER,
    NF_PREVIOUS,
    NF_NEXT,
    NF_STATES,
    NF_KEYS,
    NF_SHOW,
};

// The ids of the navigation family (their own handler: the same numbers
// mean other things among the item dialogs).
enum : long {
    NAV_CMD_BOOKMARK_OK = 20006,
    NAV_CMD_JUMP = 20012,
    NAV_CMD_PREVIOUS = 20017,
    NAV_CMD_FIND = 20018,
    NAV_CMD_NEXT = 20019,
    NAV_CMD_BOOKMARK_HELP = 20020,
    NAV_CMD_JUMP_HELP = 20021,
    NAV_CMD_FIND_HELP = 20022,
};
// The ids of the Shortcuts dialog.
enum : long {
    SHORTCUTS_CMD_CANCEL = 20003,
    SHORTCUTS_CMD_STATES = 20004,
    SHORTCUTS_CMD_KEYS = 20005,
    SHORTCUTS_CMD_SHOW = 20006,
};

// The help context of a navigation dialog's Help on a canvas kind; 0 for
// none.
long nav_help_context(long help_id, int canvas_kind);

// --- Bookmark Name ----------------------------------------------------------------------------
std::vector<FormRow> name_tags_rows();
// The field shows the name (selected).
void fill_name_tags(Form& form, const std::string& name);
// Ok: a name that is not empty becomes the slot's; false when nothing changed.
bool name_bookmark(Schema* schema, int slot, const std::string& name);

// --- Jump XY Position -------------------------------------------------------------------------
std::vector<FormRow> jump_xypos_rows();
// The world point of the two fields: each must begin with a decimal digit
// and is taken as a user coordinate (user_to_world). False, with the bell
// rung for each bad field, when either is not.
bool jump_target(const std::string& x, const std::string& y, Point* out);
// The view made to show the point (the window redrawn when it moved) and
// the pointer put on it.
void show_point(EditSession* session, Point p);

// --- Find Text -----------------------------------------------------------------------------------
std::vector<FormRow> find_text_rows();
// The search text (the last one searched, which the program keeps for the
// whole run), Case Sensitive and Wildcards Allowed as last used.
void load_find_text(Form& form, const std::string& search_text);
// The two options into FIND_CASE and FIND_JOKER, the text into
// *search_text.
void store_find_text(const Form& form, std::string* search_text);
// The number of matches of the text among the document's texts (the
// title block's on a title-block canvas); 0 on other canvases.
int search_canvas_texts(EditSession* session, const std::string& text, bool case_sensitive,
                        bool wildcards);
// The count recorded: Main Mode's repeat flag, the step buttons (two
// matches or more) and the message ("%d match"; none for a negative count).
void show_match_count(EditSession* session, Form* form, int count);
std::string match_count_message(int count);
// One match on (or back) shown: false when there is none.
bool step_match(EditSession* session, bool forward);

// --- Shortcuts -----------------------------------------------------------------------------------
struct ShortcutsState {
    bool show_all = true;
    int state_row = 0;  // 1-based, 0 none
    int key_row = 0;
};
std::vector<FormRow> shortcuts_rows();
// The modes of the session, top first, and the keys active in them: a key
// whose guard refuses it, or that a mode above defines and accepts, is not
// listed; the mouse help only for the top mode. With show_all cleared, only
// the keys of the chosen state. `rebuild` lists everything anew; without,
// only the selections are shown again.
void shortcuts_fill(Form& form, ShortcutsState& state, EditSession* session, bool rebuild);
// Both selections cleared, show_all from SHORTCUT_ALL, everything listed.
void shortcuts_refresh(Form& form, ShortcutsState& state, EditSession* session);
// What the lists and the radio box do (20004 .. 20006).
void shortcuts_react(long id, Form& form, ShortcutsState& state, EditSession* session);
