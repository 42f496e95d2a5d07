#include "toolkit/dialog_calls.h"

#include <climits>

#include "foundation/services.h"

void dialog_set_message(EnhancedDialog* dialog, const char* text) {
    if (dialog) services().dialog_set_message(dialog, text);
}

void dialog_message_pin(EnhancedDialog* dialog, const char* text) {
    if (!dialog) return;
    services().dialog_set_message(dialog, text);
    services().dialog_set_pinned(dialog, true);
}

void dialog_clear_message(EnhancedDialog* dialog) { dialog_set_message(dialog, " "); }

void dialog_set_pinned(EnhancedDialog* dialog, bool pinned) {
    if (dialog) services().dialog_set_pinned(dialog, pinned);
}

void hide_dialog(EnhancedDialog* dialog) {
    if (dialog) services().dialog_show(dialog, false, false);
}

bool dialog_is_shown(EnhancedDialog* dialog) {
    return dialog && services().dialog_is_shown(dialog);
}

void beep() { services().bell(); }

int control_step_value(const char* text, int step, int min, int max) {
    long long number = 0;
    if (text) {
        while (*text && (*text < '0' || *text > '9')) ++text;
        for (; *text >= '0' && *text <= '9'; ++text) {
            number = number * 10 + (*text - '0');
            if (number > INT_MAX) number = INT_MAX;
        }
    }
    number += step;
    if (number > max) number = max;
    if (number < min) number = min;
    return static_cast<int>(number);
}
