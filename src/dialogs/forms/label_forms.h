#pragma once
// The small Add/Edit dialogs of a sheet without their windows: module
// ports, power symbols, sheet nets (the ports on a sub-sheet box),
// net-property labels and sub-sheet boxes. Each edits one item, or sets
// the values of the next one to place. Values always pass through the
// configuration properties: item -> properties -> form when a dialog
// opens, form -> properties -> item on its main button, so the last values
// used are the next Add's. A change keeps every flag bit of the item that
// the dialog does not show.
#include <string>
#include <vector>

#include "dialogs/forms/form.h"

struct EditSession;
struct NetProp;
struct Port;
struct Power;
struct Schema;
struct SubSheet;

enum LabelField : int {
    LF_NAME = 1,
    LF_STYLE,
    LF_ORIENT,
    LF_AUTO,
    LF_NAME_ON,
    LF_TRACK,
    LF_ISOLATION,
    LF_VIA,
    LF_DRILL,
    LF_START_LAYER,
    LF_END_LAYER,
    LF_NET_TYPE,
    LF_SHEET_NAME,
    LF_SHEET_FILE,
    LF_MAIN,  // the main button
};

enum : long {
    NETPROP_CMD_MAIN = 20027,
    PORT_CMD_MAIN = 20028,
    POWER_CMD_MAIN = 20029,
    NET_CMD_MAIN = 20030,
    SHEET_CMD_MAIN = 20031,
    SHEET_CMD_OPEN = 20032,
    PORT_CMD_HELP = 20053,
    POWER_CMD_HELP = 20054,
    NET_CMD_HELP = 20055,
    NETPROP_CMD_HELP = 20060,
};
constexpr long PORT_HELP_CONTEXT = 675, POWER_HELP_CONTEXT = 680, NET_HELP_CONTEXT = 660,
               NETPROP_HELP_CONTEXT = 1195;

// A choice whose entries stand for stored values: entry i stores
// values[i]; a stored value that no entry has shows the entry `other`.
struct ChoiceMapping {
    std::vector<int> values;
    int other;
    int entry_of(int value) const;
    int value_of(int entry) const;  // `other`'s value for an entry outside
};
// Port and sheet-net styles (Input, Input/Output, Output, Unspecified),
// port orientations (Left, Right), power styles (Circle .. Big Ar.) and
// power orientations (Left, Right, Up, Down).
extern const ChoiceMapping port_style_mapping;
extern const ChoiceMapping port_orientation_mapping;
extern const ChoiceMapping power_style_mapping;
extern const ChoiceMapping power_orientation_mapping;

// --- module port ----------------------------------------------------------------------------
std::vector<FormRow> wedit_port_rows();
void port_to_props(const Port* port);
void load_wedit_port(Form& form);
void store_wedit_port(const Form& form);
// The port from PORT_TYPE, PORT_SENS and the name typed, in one edit. The
// names of ports, powers and sheet nets come from the dialog's text whole:
// PORT_NAME, POWER_NAME and NET_NAME keep 31 bytes, and a longer name of an
// item would be cut by a change of its style.
void props_to_port(EditSession* session, Port* port, const std::string& name);

// --- power symbol ---------------------------------------------------------------------------
std::vector<FormRow> wedit_power_rows();
void power_to_props(const Power* power);
void load_wedit_power(Form& form);
void store_wedit_power(const Form& form);
void props_to_power(EditSession* session, Power* power, const std::string& name);

// --- sheet net --------------------------------------------------------------------------------
std::vector<FormRow> wedit_net_rows();
void net_to_props(const Port* port);
void load_wedit_net(Form& form);
void store_wedit_net(const Form& form);
// The port of the box from NET_TYPE and the name typed, in one edit of the
// box.
void props_to_net(EditSession* session, SubSheet* box, Port* port, const std::string& name);
// The sub-sheet box of the current sheet that holds the port, or null.
SubSheet* box_of_port(Schema* schema, const Port* port);

// --- net-property label ---------------------------------------------------------------------
std::vector<FormRow> edit_netprop_rows();
void netprop_to_props(const NetProp* label);
void load_edit_netprop(Form& form);
void store_edit_netprop(const Form& form);
void props_to_netprop(EditSession* session, NetProp* label);

// --- sub-sheet box ----------------------------------------------------------------------------
std::vector<FormRow> sheet_dialog_rows();
// SHEET_NAME and SHEET_FILE, then the box's names when there is a box.
void sheet_dialog_fill(Form& form, const SubSheet* box);
void store_sheet_dialog(const Form& form);
// "Open SubSheet": the box's own file in a window of its own, the sheet
// dialog closed first; the bell for a box without a file.
void open_sheet_box(EditSession* session, SubSheet* box);
// The box gets the file name and the sheet name, its outline rebuilt, in
// one edit.
void set_sheet_item_names(EditSession* session, SubSheet* box, const char* file_name,
                          const char* sheet_name);
