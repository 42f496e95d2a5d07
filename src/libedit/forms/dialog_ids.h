#pragma once
// The client ids of the library editor's dialogs: what each button, list,
// choice and reacting item reports to the window's handler. One enum, so
// that no two items of these dialogs can report the same id; the windows
// find a dialog's buttons by them (FormDialog::ButtonFor).

enum : long {
    // Part Names
    LE_NAMES_LIST = 20001,
    LE_NAMES_OK = 20002,
    LE_NAMES_ADD = 20003,
    LE_NAMES_DELETE = 20004,
    LE_NAMES_MODIFY = 20005,
    // View/Edit Pinout
    LE_PINOUT_TYPE = 20006,
    LE_PINOUT_PINS = 20007,
    LE_PINOUT_CONVERTED = 20008,
    LE_PINOUT_APPLY = 20009,
    // Place/Edit IEEE Symbols
    LE_IEEE_PLACE = 20010,
    LE_IEEE_CHANGE = 20011,
    LE_IEEE_SYMBOL = 20012,
    // Add/Edit Text and Add/Edit Control
    LE_TEXT_PLACE_PART = 20013,
    LE_TEXT_INTERNAL = 20014,
    LE_TEXT_FONT = 20015,
    LE_CONTROL_INTERNAL = 20016,
    LE_CONTROL_FONT = 20017,
    LE_TEXT_PLACE_TEMPLATE = 20018,
    LE_TEXT_CHANGE = 20019,
    // Place Body, Find Pin, Get Part
    LE_BODY_PLACE = 20020,
    LE_FIND_PIN = 20021,
    LE_PART_OK = 20022,
    LE_PART_SCAN = 20024,
    LE_PART_LIST = 20025,
    // Add/Edit Pin
    LE_PIN_TYPE = 20029,
    LE_PIN_ADD = 20030,
    LE_PIN_CHANGE = 20031,
    // Get Vector Definition and its options
    LE_VECTOR_LIBRARIES = 20032,
    LE_VECTOR_PARTS = 20033,
    LE_VECTOR_FREE = 20034,
    LE_VECTOR_PART_EDITED = 20035,
    LE_VECTOR_LIBRARY_EDITED = 20036,
    LE_VECTOR_SEARCH = 20037,
    LE_VECTOR_GET = 20038,
    LE_VECTOR_OPTIONS_OK = 20039,
    // Part Reference Prefix, Add/Edit Control, User Part Fields
    LE_PREFIX_APPLY = 20040,
    LE_CONTROL_PLACE = 20041,
    LE_CONTROL_CHANGE = 20042,
    LE_FIELDS_OK = 20043,
    LE_FIELDS_VALUE = 20044,
    LE_FIELDS_ROW = 20045,
    // The Help buttons (libedit_help_context)
    LE_HELP_FIELDS = 20046,
    LE_HELP_NAMES = 20047,
    LE_HELP_PINOUT = 20048,
    LE_HELP_PREFIX = 20049,
    LE_HELP_IEEE = 20050,
    LE_HELP_TEXT_LIBRARY = 20051,
    LE_HELP_TEXT_TEMPLATE = 20052,
    LE_HELP_BODY = 20053,
    LE_HELP_GET_PART = 20054,
    LE_HELP_PIN = 20055,
    LE_HELP_FIND = 20056,
    LE_HELP_VECTOR = 20057,
    LE_HELP_VECTOR_OPTIONS = 20058,
    LE_HELP_CONTROL = 20059,
};

// The help context of a Help button's id, 0 for any other id. The text
// dialog's follows the kind of the current window (CANVAS_LIBRARY: the
// library's page; another window: the title block's), which may have
// changed since the dialog was made; without a window (CANVAS_NONE) its own.
long libedit_help_context(long client, int window_kind);
