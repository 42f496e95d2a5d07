#include "libedit/forms/dialog_ids.h"

#include "editor/tool_mode.h"

namespace {

struct HelpButton {
    long client;
    long context;
};
const HelpButton help_buttons[] = {
    {LE_HELP_FIELDS, 1215},        {LE_HELP_NAMES, 505},
    {LE_HELP_PINOUT, 550},         {LE_HELP_PREFIX, 515},
    {LE_HELP_IEEE, 495},           {LE_HELP_TEXT_LIBRARY, 525},
    {LE_HELP_TEXT_TEMPLATE, 960},  {LE_HELP_BODY, 455},
    {LE_HELP_GET_PART, 420},       {LE_HELP_PIN, 510},
    {LE_HELP_FIND, 385},           {LE_HELP_VECTOR, 490},
    {LE_HELP_VECTOR_OPTIONS, 490}, {LE_HELP_CONTROL, 930},
};

}  // namespace

long libedit_help_context(long client, int window_kind) {
    if ((client == LE_HELP_TEXT_LIBRARY || client == LE_HELP_TEXT_TEMPLATE) &&
        window_kind != CANVAS_NONE)
        client = window_kind == CANVAS_LIBRARY ? LE_HELP_TEXT_LIBRARY : LE_HELP_TEXT_TEMPLATE;
    for (const HelpButton& help : help_buttons)
        if (help.client == client) return help.context;
    return 0;
}
