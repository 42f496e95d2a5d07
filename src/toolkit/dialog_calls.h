#pragma once
// What the windows ask of a pinnable dialog, the bell, and the arithmetic
// behind stepping a number in a text item. The calls go through the service
// seam's dialog slots, which the toolkit fills; every dialog call does
// nothing when the dialog pointer is null.

class EnhancedDialog;

// Sets the dialog's message line (null or empty shows three blanks).
void dialog_set_message(EnhancedDialog* dialog, const char* text);
// Sets the message line and pins the dialog, so that the next hide request
// leaves it open (the user sees why it stayed).
void dialog_message_pin(EnhancedDialog* dialog, const char* text);
// Sets the message line to a single blank.
void dialog_clear_message(EnhancedDialog* dialog);
void dialog_set_pinned(EnhancedDialog* dialog, bool pinned);
// Asks the dialog to close: a pinned dialog stays open; a dialog with an
// on-close callback runs it (which may destroy the dialog), any other one is
// hidden.
void hide_dialog(EnhancedDialog* dialog);
// False for a null dialog.
bool dialog_is_shown(EnhancedDialog* dialog);

// Sounds the bell when a key or command does not apply.
void beep();

// The number a text item steps to: skips the leading characters that are not
// digits, reads the decimal number there (0 when there is none), adds step
// and clamps the sum to min..max. A run of digits too long for an int counts
// as the largest int.
int control_step_value(const char* text, int step, int min, int max);
