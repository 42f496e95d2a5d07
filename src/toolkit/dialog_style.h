#pragma once
// The style word of the panel dialogs and what it means on this toolkit.
// Two words are set at start-up: 0x3C0200 (buttons in a column, "Cancel"
// added right after the first button, no message line) and 0x340200 (the
// same with a message line); "-wdial" replaces both by 0x340204, dialogs
// with an ordinary caption.
enum : long {
    DIALOG_SMALL_CAPTION = 0x200,     // a tool window's small caption
    DIALOG_WIDE_CAPTION = 0x4,        // an ordinary caption, over the small one
    DIALOG_BUTTON_COLUMN = 0x40000,   // buttons in a column right of the panels
    DIALOG_NO_MESSAGE = 0x80000,      // no message line
    DIALOG_CANCEL_MASK = 0x300000,    // where "Cancel" goes:
    DIALOG_CANCEL_AFTER = 0x300000,   //   right after the first button
    DIALOG_CANCEL_BEFORE = 0x100000,  //   right before it
};

// The style words of the panel dialogs, set at start-up: without and with
// a message line.
extern long dialog_style;
extern long dialog_style_message;

enum class CancelPlacement { NONE, BEFORE_FIRST, AFTER_FIRST };

CancelPlacement dialog_cancel_placement(long style);
bool dialog_has_message_line(long style);
bool dialog_buttons_in_column(long style);
// The toolkit's window style for the word.
long wx_style_from_dialog_style(long style);
