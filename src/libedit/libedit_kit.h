#pragma once
// What the library editor's files share and nobody else needs.
#include <cstdint>

#include "libedit/libedit.h"

// a + b kept in the 32-bit range of world coordinates.
inline int32_t world_add(int64_t a, int64_t b) {
    const int64_t v = a + b;
    return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// The document's modified flag set and shown.
void libedit_mark_modified(LibEdit* ed);
void libedit_redraw(LibEdit* ed);
// The editing sheet emptied (the selection forgotten first).
void libedit_clear_sheet(LibEdit* ed);
// Every tool above the base mode ends (they may hold records of the sheet).
void libedit_end_tools(LibEdit* ed);
// The editing sheet laid out again for the part under edit under the name it shows.
void libedit_relayout(LibEdit* ed);
// The items of a body of the part under edit (the converted one when
// asked): the set made when missing, and made the part's own when another
// part shares it. Null without a part.
List* part_body_items(LibEdit* ed, bool converted);

// What every library tool shares: the cross-hair goes while another mode
// is on top and comes back with it; key guards that always let the key act;
// the refusal of a library window without a part under edit (the bell and
// "Place Body First !!!"), true when refused.
void libedit_tool_suspend(EditSession* session, ModeInstance* instance);
void libedit_tool_resume(EditSession* session, ModeInstance* instance);
int libedit_key_always(int unused, ModeInstance* instance, int key, int, int);
// The key table of a tool that takes positions only: the mouse and Esc.
extern const ToolKey libedit_position_keys[2];
bool libedit_refuse_without_part(LibEdit* ed);
