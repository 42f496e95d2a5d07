// The board-layout program's netlist: back-quoted lines with the nets'
// routing properties, one module line per package and its pins with their
// electrical types.
#include <cstdio>
#include <string>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/netlist_format.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/documents/ident.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/pin.h"

namespace {

void line(FILE* out, const std::string& text) {
    std::fputs(text.c_str(), out);
    put_newline(out);
}

const char* pin_type_code(const Pin* pin) {
    static const char* const codes[] = {"U1", "IN", "OU", "IO", "OC", "OE", "PO", "PA", "HI"};
    int type = pin ? pin->type : 0;
    return type >= 1 && type <= 8 ? codes[type] : "U1";
}

const char* layer_code(int layer) {
    static const char* const codes[] = {"*", "C", "S", "1", "-1"};
    return layer >= 0 && layer <= 4 ? codes[layer] : "*";
}

// Commas separate the module line's fields: the texts show them as full stops.
std::string no_commas(std::string text) {
    for (char& c : text)
        if (c == ',') c = '.';
    return text;
}

// A quoted string of the header lines: the text between double quotes,
// which it cannot hold (a double quote shows as a single one), on the one
// line (a line break shows as a blank).
std::string quoted(const char* text) {
    std::string out = "\"";
    for (const char* c = text ? text : ""; *c; ++c)
        out += *c == '"' ? '\'' : (*c == '\n' || *c == '\r') ? ' ' : *c;
    return out + "\"";
}

std::string net_property_line(const Ident* net) {
    std::string text = std::string("`N ") + net->name.get();
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    const NetProp* p = net->netprop;
    char tail[160];
    std::snprintf(tail, sizeof tail, " %d %d %d %d %s,%s %c;", p->track_width, p->isolation,
                  p->via_size, p->via_drill, layer_code(p->start_layer), layer_code(p->end_layer),
                  p->net_type ? 'C' : 'T');
    return text + tail;
}

std::string pin_line(const std::string& number, const std::string& net, const Pin* pin) {
    return " (" + number + " " + net + " " + pin_type_code(pin) + " A1)";
}

}  // namespace

int write_layout_netlist(NetlistRun& run, FILE* out) {
    line(out, "PELMORAN");
    line(out, "`I \"Tessaron Netlist Report V2.02 \"");
    line(out, "`T " + quoted(run.schema->title));
    line(out, "`F " + quoted(run.root));
    line(out, "`R \"A\"");
    line(out, "`C \"Net Properties\"");
    for (const Ident* net : list_items<Ident>(run.context->islands))
        if (net->netprop) line(out, net_property_line(net));
    line(out, "`C");
    for (SchItem* item : list_items<SchItem>(run.schema->sheet->items)) {
        if (item->type != PARTLIB_ITEM || (item->state & NET_VISITED)) continue;
        PlacedPart* part = as_PlacedPart(item);
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%08X", part->time_stamp);
        std::string module = "`M " + no_commas(module_text(part, run.module_field)) + ",," +
                             no_commas(part->value.text.get()) + "," + stamp + "," +
                             no_commas(part->reference.text.get()) + ",,GR1";
        if (!pl_get_part(run.schema->library, part)) continue;  // warned about before writing
        line(out, module);
        walk_part_pins(
            run, part,
            [&](const std::string& number, const Ident* net, const Pin* pin) {
                line(out, pin_line(number, net->name.get(), pin));
            },
            [&](const std::string& number, const Pin* pin) {
                line(out, pin_line(number, "?" + std::to_string(run.unconnected++), pin));
            });
        line(out, ";");
    }
    return 0;
}
