// The program's own netlist format: a header, then one entry per package
// with its pins and their nets; unconnected pins get "?N" names.
#include <cstdio>
#include <string>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/netlist_format.h"
#include "foundation/app_utils.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"

namespace {

void line(FILE* out, const std::string& text) {
    std::fputs(text.c_str(), out);
    put_newline(out);
}

std::string first_four(const std::string& number) { return number.substr(0, 4); }

}  // namespace

int write_native_netlist(NetlistRun& run, FILE* out) {
    line(out, "( { Tessaron Native Format");
    line(out, "  Generated on " + date_string());
    line(out, std::string("Main Schematic : ") + run.root);
    line(out, "}");
    for (SchItem* item : list_items<SchItem>(run.schema->sheet->items)) {
        if (item->type != PARTLIB_ITEM || (item->state & NET_VISITED)) continue;
        PlacedPart* part = as_PlacedPart(item);
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%08X", part->time_stamp);
        std::string header = std::string("( ") + stamp + " " + module_text(part, run.module_field) +
                             " " + part->reference.text.get() + " " + part->value.text.get();
        if (!pl_get_part(run.schema->library, part)) continue;  // warned about before writing
        line(out, header);
        walk_part_pins(
            run, part,
            [&](const std::string& number, const Ident* net, const Pin*) {
                line(out, " ( " + first_four(number) + " " + net->name.get() + " )");
            },
            [&](const std::string& number, const Pin*) {
                line(out,
                     " ( " + first_four(number) + " ?" + std::to_string(run.unconnected++) + " )");
            });
        line(out, " )");
    }
    line(out, ")");
    return 0;
}
