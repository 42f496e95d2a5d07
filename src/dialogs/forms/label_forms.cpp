#include "dialogs/forms/label_forms.h"

#include "editor/edit_transaction.h"
#include "editor/sheet_modes.h"
#include "editor/tool_mode.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/netprop.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"

namespace {

constexpr const char* PORT_STYLES = "Input       \nInput/Output\nOutput      \nUnspecified ";
constexpr const char* LAYERS =
    "Any Layer  \nComponent Layer \nSolder Layer\n1st Layer above Solder\n"
    "1st Layer below Components";

FormRow help_button(long client) {
    return {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = client};
}
FormRow main_button(long client) {
    return {.kind = RowKind::DIALOG_BUTTON, .field = LF_MAIN, .label = "Change", .client = client};
}
FormRow gap() { return {.kind = RowKind::BUTTON_SPACE, .min = 20}; }
FormRow line() { return {.kind = RowKind::NEW_LINE}; }

// The property's value as its choice's entry, and back. The properties
// are bytes, which read back sign-extended (0x88 as -120).
void load_choice(Form& form, int field, const ChoiceMapping& mapping, int property) {
    form.set_number(field, mapping.entry_of(proper_get(property) & 0xFF));
}
int stored(const Form& form, int field, const ChoiceMapping& mapping) {
    return mapping.value_of(form.number(field));
}

}  // namespace

int ChoiceMapping::entry_of(int value) const {
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] == value) return static_cast<int>(i);
    return other;
}

int ChoiceMapping::value_of(int entry) const {
    if (entry < 0 || entry >= static_cast<int>(values.size())) entry = other;
    return values[entry];
}

const ChoiceMapping port_style_mapping{{PORT_INPUT, PORT_BIDIR, PORT_OUTPUT, PORT_UNSPEC}, 3};
const ChoiceMapping port_orientation_mapping{{0, PORT_RIGHT}, 1};
const ChoiceMapping power_style_mapping{{POWER_CIRCL, POWER_ARROW, POWER_BAR, POWER_WAVE,
                                         POWER_GND1, POWER_GND2, POWER_EARTH, POWER_BIGARR},
                                        7};
const ChoiceMapping power_orientation_mapping{{3, 1, 0, 2}, 1};

// --- module port ----------------------------------------------------------------------------

std::vector<FormRow> wedit_port_rows() {
    using K = RowKind;
    return {
        {.kind = K::TEXT,
         .field = LF_NAME,
         .label = "Port Name: ",
         .sample = "The Port  ",
         .select_all = true},
        line(),
        {.kind = K::CHOICE, .field = LF_STYLE, .label = "Port Style: ", .sample = PORT_STYLES},
        line(),
        {.kind = K::CHOICE,
         .field = LF_ORIENT,
         .label = "Orientation:",
         .sample = "Left   \nRight  "},
        line(),
        {.kind = K::CHECK, .field = LF_AUTO, .label = "Auto Increment"},
        main_button(PORT_CMD_MAIN),
        gap(),
        help_button(PORT_CMD_HELP),
    };
}

void port_to_props(const Port* port) {
    proper_set(PORT_NAME, port->name.get(), PORT_TYPE, port->flags & PORT_KIND_MASK, PORT_SENS,
               port->flags & PORT_RIGHT, 0);
}

void load_wedit_port(Form& form) {
    form.set_text(LF_NAME, strproper_get(PORT_NAME));
    load_choice(form, LF_STYLE, port_style_mapping, PORT_TYPE);
    load_choice(form, LF_ORIENT, port_orientation_mapping, PORT_SENS);
    form.set_number(LF_AUTO, proper_get(PORT_AUTO) != 0);
}

void store_wedit_port(const Form& form) {
    proper_set(PORT_NAME, form.text(LF_NAME).c_str(), PORT_TYPE,
               stored(form, LF_STYLE, port_style_mapping), PORT_SENS,
               stored(form, LF_ORIENT, port_orientation_mapping), PORT_AUTO,
               form.number(LF_AUTO) ? 1 : 0, 0);
}

void props_to_port(EditSession* session, Port* port, const std::string& name) {
    if (!session || !port) return;
    EditTransaction edit(session);
    edit.before(port);
    port->name.set(name.c_str());
    port->flags = static_cast<uint8_t>((port->flags & ~(PORT_KIND_MASK | PORT_RIGHT)) |
                                       (proper_get(PORT_TYPE) & PORT_KIND_MASK) |
                                       (proper_get(PORT_SENS) & PORT_RIGHT));
    edit.touch(port);
}

// --- power symbol ---------------------------------------------------------------------------

std::vector<FormRow> wedit_power_rows() {
    using K = RowKind;
    return {
        {.kind = K::TEXT,
         .field = LF_NAME,
         .label = "Power Name:",
         .sample = "The Power ",
         .select_all = true},
        line(),
        {.kind = K::CHOICE,
         .field = LF_STYLE,
         .label = "Power Style:",
         .sample = "Circle \nArrow  \nBar    \nWave   \nGnd (1)\nGnd (2)\nEarth  \nBig Ar."},
        line(),
        {.kind = K::CHOICE,
         .field = LF_ORIENT,
         .label = "Orientation:",
         .sample = "Left   \nRight  \nUp     \nDown   "},
        line(),
        {.kind = K::CHECK, .field = LF_NAME_ON, .label = "Power Name On"},
        main_button(POWER_CMD_MAIN),
        gap(),
        help_button(POWER_CMD_HELP),
    };
}

void power_to_props(const Power* power) {
    proper_set(POWER_NAME, power->name.get(), POWER_TYPE, power->flags & POWER_SHAPE_MASK,
               POWER_SENS, power->flags & POWER_ROT_MASK, POWER_NAME_ON,
               power->flags & POWER_NAME_HIDDEN, 0);
}

void load_wedit_power(Form& form) {
    form.set_text(LF_NAME, strproper_get(POWER_NAME));
    load_choice(form, LF_STYLE, power_style_mapping, POWER_TYPE);
    form.set_number(LF_NAME_ON, proper_get(POWER_NAME_ON) == 0);
    load_choice(form, LF_ORIENT, power_orientation_mapping, POWER_SENS);
}

void store_wedit_power(const Form& form) {
    proper_set(POWER_NAME, form.text(LF_NAME).c_str(), POWER_TYPE,
               stored(form, LF_STYLE, power_style_mapping), POWER_NAME_ON,
               form.number(LF_NAME_ON) ? 0 : POWER_NAME_HIDDEN, POWER_SENS,
               stored(form, LF_ORIENT, power_orientation_mapping), 0);
}

void props_to_power(EditSession* session, Power* power, const std::string& name) {
    if (!session || !power) return;
    EditTransaction edit(session);
    edit.before(power);
    power->name.set(name.c_str());
    power->flags = static_cast<uint8_t>(
        (power->flags & ~(POWER_NAME_HIDDEN | POWER_ROT_MASK | POWER_SHAPE_MASK)) |
        (proper_get(POWER_NAME_ON) & POWER_NAME_HIDDEN) |
        (proper_get(POWER_SENS) & POWER_ROT_MASK) | (proper_get(POWER_TYPE) & POWER_SHAPE_MASK));
    edit.touch(power);
}

// --- sheet net --------------------------------------------------------------------------------

std::vector<FormRow> wedit_net_rows() {
    using K = RowKind;
    return {
        {.kind = K::TEXT,
         .field = LF_NAME,
         .label = "Net Name:  ",
         .sample = "The Net   ",
         .select_all = true},
        line(),
        {.kind = K::CHOICE, .field = LF_STYLE, .label = "Net Style:  ", .sample = PORT_STYLES},
        main_button(NET_CMD_MAIN),
        gap(),
        help_button(NET_CMD_HELP),
    };
}

void net_to_props(const Port* port) {
    proper_set(NET_NAME, port->name.get(), NET_TYPE, port->flags & PORT_KIND_MASK, 0);
}

void load_wedit_net(Form& form) {
    form.set_text(LF_NAME, strproper_get(NET_NAME));
    load_choice(form, LF_STYLE, port_style_mapping, NET_TYPE);
}

void store_wedit_net(const Form& form) {
    proper_set(NET_NAME, form.text(LF_NAME).c_str(), NET_TYPE,
               stored(form, LF_STYLE, port_style_mapping), 0);
}

SubSheet* box_of_port(Schema* schema, const Port* port) {
    if (!schema || !schema->current || !port) return nullptr;
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (item->type == SUBSHEET_ITEM && list_find_node(as_SubSheet(item)->ports, port))
            return as_SubSheet(item);
    return nullptr;
}

void props_to_net(EditSession* session, SubSheet* box, Port* port, const std::string& name) {
    if (!session || !box || !port) return;
    EditTransaction edit(session);
    edit.before(box);
    port->name.set(name.c_str());
    port->flags = static_cast<uint8_t>((port->flags & ~PORT_KIND_MASK) |
                                       (proper_get(NET_TYPE) & PORT_KIND_MASK));
    subsheet_port_symbol(session->schema, port);
    edit.touch(box);
}

// --- net-property label ---------------------------------------------------------------------

std::vector<FormRow> edit_netprop_rows() {
    using K = RowKind;
    const char* sample = "The Port              ";
    return {
        {.kind = K::TEXT,
         .field = LF_TRACK,
         .label = "Track width: ",
         .sample = sample,
         .select_all = true},
        {.kind = K::TEXT, .field = LF_ISOLATION, .label = "Isolation: ", .sample = sample},
        line(),
        {.kind = K::TEXT, .field = LF_VIA, .label = "Via Size: ", .sample = sample},
        {.kind = K::TEXT, .field = LF_DRILL, .label = "Via Drill Size:", .sample = sample},
        line(),
        {.kind = K::CHOICE, .field = LF_START_LAYER, .label = "Allowed Layer: ", .sample = LAYERS},
        {.kind = K::CHOICE, .field = LF_END_LAYER, .label = "Allowed Layer: ", .sample = LAYERS},
        line(),
        {.kind = K::CHOICE, .field = LF_NET_TYPE, .label = "Net Type:", .sample = "Tree  \nChain "},
        main_button(NETPROP_CMD_MAIN),
        gap(),
        help_button(NETPROP_CMD_HELP),
    };
}

void netprop_to_props(const NetProp* label) {
    proper_set(NETPROP_TRACKWIDTH, label->track_width, NETPROP_ISOLATION, label->isolation,
               NETPROP_VIASIZE, label->via_size, NETPROP_VIADRILL, label->via_drill, NETPROP_SLAYER,
               label->start_layer, NETPROP_DLAYER, label->end_layer, NETPROP_NETTYPE,
               label->net_type, 0);
}

void load_edit_netprop(Form& form) {
    form.set_text(LF_TRACK, std::to_string(proper_get(NETPROP_TRACKWIDTH)));
    form.set_text(LF_ISOLATION, std::to_string(proper_get(NETPROP_ISOLATION)));
    form.set_text(LF_VIA, std::to_string(proper_get(NETPROP_VIASIZE)));
    form.set_text(LF_DRILL, std::to_string(proper_get(NETPROP_VIADRILL)));
    form.set_number(LF_START_LAYER, proper_get(NETPROP_SLAYER));
    form.set_number(LF_END_LAYER, proper_get(NETPROP_DLAYER));
    form.set_number(LF_NET_TYPE, proper_get(NETPROP_NETTYPE));
}

void store_edit_netprop(const Form& form) {
    proper_set(NETPROP_TRACKWIDTH, leading_number(form.text(LF_TRACK)), NETPROP_ISOLATION,
               leading_number(form.text(LF_ISOLATION)), NETPROP_VIASIZE,
               leading_number(form.text(LF_VIA)), NETPROP_VIADRILL,
               leading_number(form.text(LF_DRILL)), NETPROP_SLAYER, form.number(LF_START_LAYER),
               NETPROP_DLAYER, form.number(LF_END_LAYER), NETPROP_NETTYPE, form.number(LF_NET_TYPE),
               0);
}

void props_to_netprop(EditSession* session, NetProp* label) {
    if (!session || !label) return;
    EditTransaction edit(session);
    edit.before(label);
    netprop_take_settings(label);
    edit.touch(label);
}

// --- sub-sheet box ----------------------------------------------------------------------------

std::vector<FormRow> sheet_dialog_rows() {
    using K = RowKind;
    return {
        {.kind = K::TEXT,
         .field = LF_SHEET_NAME,
         .label = "Sheet Name:",
         .sample = "0123456789012345"},
        line(),
        {.kind = K::TEXT,
         .field = LF_SHEET_FILE,
         .label = "Sheet File:",
         .sample = "0123456789012345678901234567890",
         .select_all = true},
        main_button(SHEET_CMD_MAIN),
        {.kind = K::DIALOG_BUTTON, .label = "Open SubSheet", .client = SHEET_CMD_OPEN},
    };
}

void sheet_dialog_fill(Form& form, const SubSheet* box) {
    form.set_text(LF_SHEET_NAME, strproper_get(SHEET_NAME));
    form.set_text(LF_SHEET_FILE, strproper_get(SHEET_FILE));
    if (box) {
        form.set_text(LF_SHEET_NAME, box->sheet_name.get());
        form.set_text(LF_SHEET_FILE, box->file_name);
    }
}

void store_sheet_dialog(const Form& form) {
    proper_set(SHEET_NAME, form.text(LF_SHEET_NAME).c_str(), SHEET_FILE,
               form.text(LF_SHEET_FILE).c_str(), 0);
}

void open_sheet_box(EditSession* session, SubSheet* box) {
    if (!session || !session->host || !box) return;
    // The box itself, not the box a search finds at its corner: the corner
    // of a box that touches another lies on that one's side too.
    const std::string file = box->file_name;
    session->host->hide_sheet_dialog();
    if (file.empty())
        session->host->bell();
    else
        session->host->open_sheet(file.c_str(), box);
}

void set_sheet_item_names(EditSession* session, SubSheet* box, const char* file_name,
                          const char* sheet_name) {
    if (!session || !box) return;
    EditTransaction edit(session);
    edit.before(box);
    box->file_name = file_name ? file_name : "";
    box->sheet_name.set(sheet_name ? sheet_name : "");
    edit.touch(box);
}
