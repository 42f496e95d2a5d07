#include "connectivity/net_fixture.h"

#include "connectivity/net_oracle.h"

#include <cstdarg>
#include <sstream>
#include <unordered_map>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/compil_actions.h"
#include "model/documents/ident.h"
#include "model/documents/netprop.h"
#include "model/documents/power_port.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "support/test_env.h"

namespace net_test {

namespace {

std::string pos(int x, int y) {
    return "(POS " + std::to_string(x) + " " + std::to_string(y) + " ) ";
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string line_of(const std::string& kind, int x1, int y1, int x2, int y2) {
    return "(LINE " + kind + pos(x1, y1) + pos(x2, y2) + " )\n";
}

const char* const library_source = R"((LIB '$ACTIVE$'
  (PFXS )
  (PARTS
    (LPART
      (PART (COMMON (TYPE STANDARD 1) (SIZE 2000 0 ) (REFERENCE 'R' ) )
        (NORMAL (PINS
          (PIN '1' PAS LEFT (POS 0 0 ) '1' )
          (PIN '2' PAS RIGHT (POS 2000 0 ) '2' ) ) ) )
      (ALIAS (NAME 'R' (ATTRIBUTE 'R?' VIS (POS 0 0 ) ) (ATTRIBUTE 'R' (POS 0 0 ) ) ) ) )
    (LPART
      (PART (COMMON (TYPE STANDARD 1) (SIZE 0 2000 ) (REFERENCE 'R' ) )
        (NORMAL (PINS
          (PIN '1' PAS TOP (POS 0 0 ) '1' )
          (PIN '2' PAS BOTTOM (POS 0 2000 ) '2' ) ) ) )
      (ALIAS (NAME 'VR' (ATTRIBUTE 'R?' VIS (POS 0 0 ) ) (ATTRIBUTE 'VR' (POS 0 0 ) ) ) ) )
    (LPART
      (PART (COMMON (TYPE STANDARD 1) (SIZE 2000 2000 ) (REFERENCE 'U' ) )
        (NORMAL (PINS
          (PIN 'A' IN LEFT (POS 0 1000 ) '1' )
          (PIN 'Y' OUT RIGHT (POS 2000 1000 ) '2' )
          (PIN 'VCC' PWR TOP (POS 1000 0 ) '3' ) ) ) )
      (ALIAS (NAME 'IC' (ATTRIBUTE 'U?' VIS (POS 0 0 ) ) (ATTRIBUTE 'IC' (POS 0 0 ) ) ) ) )
  )
)
)";

void quiet(const char*, ...) {}

std::string captured;

void capture(const char* format, ...) {
    va_list args;
    va_start(args, format);
    tn_test::append_vprintf(captured, format, args);
    va_end(args);
}

// List index of every record of the sheet.
std::unordered_map<const void*, int> indexes(const Schema* schema) {
    std::unordered_map<const void*, int> at;
    int i = 0;
    for (SchItem* item : list_items<SchItem>(schema->current->items)) at[item] = i++;
    return at;
}

std::string member_text(const PseudoPin* pp) {
    std::ostringstream out;
    if (pp->pin)
        out << "pin " << pp->pin->name.get();
    else if (pp->whoami && pp->whoami->type == POWER_ITEM)
        out << "power " << as_Power(pp->whoami)->name.get();
    else if (pp->whoami && pp->whoami->type == PORT_ITEM)
        out << (pp->father ? "box port " : "port ") << as_Port(pp->whoami)->name.get();
    else if (pp->whoami && pp->whoami->type == NOCON_ITEM)
        out << "nocon";
    else
        out << "?";
    out << "@" << pp->pos.x << "," << pp->pos.y;
    return out.str();
}

std::string net_text(const Ident* head) {
    std::ostringstream out;
    out << "names [";
    for (NameRec* rec : list_items<NameRec>(head->names))
        out << " " << rec->kind << ":" << rec->name;
    out << " ] pref " << net_preferred_name(head->names).value_or("-");
    if (head->netprop)
        out << " prop " << head->netprop->name.get() << "/" << head->netprop->track_width;
    out << " members [";
    for (const SchItem* m = head->nextconn; m; m = m->next)
        out << " " << member_text(as_PseudoPin(m));
    int wires = 0;
    for (const SchItem* w = head->next; w && wires < 100000; w = w->next) ++wires;
    out << " ] wires " << wires;
    if (head->next) out << " first " << head->next->pos.x << "," << head->next->pos.y;
    return out.str();
}

}  // namespace

std::string wire(int x1, int y1, int x2, int y2) { return line_of("", x1, y1, x2, y2); }
std::string bus(int x1, int y1, int x2, int y2) { return line_of("BUS ", x1, y1, x2, y2); }
std::string drawn(int x1, int y1, int x2, int y2) { return line_of("DRAW ", x1, y1, x2, y2); }
std::string arc(int sx, int sy, int ex, int ey, int cx, int cy) {
    return "(ARC " + pos(sx, sy) + pos(ex, ey) + pos(cx, cy) + "CCW )\n";
}
std::string label(int x, int y, const std::string& t) {
    return "(TEXT 0 " + pos(x, y) + "(SIZE 100 100 ) " + quoted(t) + " LABEL )\n";
}
std::string text(int x, int y, const std::string& t) {
    return "(TEXT 0 " + pos(x, y) + "(SIZE 100 100 ) " + quoted(t) + " )\n";
}
std::string junction(int x, int y) { return "(JUNCTION " + pos(x, y) + "SMALL CIRCULAR )\n"; }
std::string nocon(int x, int y) { return "(NOCON " + pos(x, y) + ")\n"; }
std::string power(int x, int y, const std::string& name, const std::string& rotation) {
    return "(POWER " + quoted(name) + " " + rotation + " GND1 " + pos(x, y) + ")\n";
}
std::string part(const std::string& name, int x, int y, const std::string& reference,
                 const std::string& rotation) {
    return "(PARTLIB " + quoted(name) + " 0x00000001 1.000000 POWERON " + rotation +
           " NORMAL_PART DEVICE 0 " + pos(x, y) + "(ATTRIBUTE " + quoted(reference) +
           " VIS (POS 0 0 ) ) (ATTRIBUTE 'v' (POS 0 0 ) ) )\n";
}
std::string sheet_port(int x, int y, const std::string& name, bool right) {
    return std::string("(PORT ") + (right ? "RIGHT" : "LEFT") + " BIDIR " + pos(x, y) +
           quoted(name) + " )\n";
}
std::string box_port(int dx, int dy, const std::string& name) {
    return "(PORT LEFT BIDIR " + pos(dx, dy) + quoted(name) + " )\n";
}
std::string subsheet(int x, int y, const std::string& ports_source) {
    return "(SUBSHEET 0x0000ABCD " + pos(x, y) + "(SIZE 8000 6000 ) 'SUB' 'sub.sch' (PORTS\n" +
           ports_source + ") )\n";
}
std::string netprop(int x, int y, const std::string& name, int track_width) {
    return "(NETPROP " + pos(x, y) + quoted(name) + " " + std::to_string(track_width) +
           " 200 600 300 1 2 3 )\n";
}

std::string schematic(const std::string& items, const std::string& ports) {
    return "(SCHEMATIC\n(PORTS\n" + ports + ")\n(SHEET\n" + items + ")\n" + library_source + ")\n";
}

SchemaPtr compile(const std::string& source) {
    Schema* schema = nullptr;
    int result = compile_schema_string(source, COMPIL_SCHEMATIC, quiet, nullptr, &schema);
    EXPECT_EQ(result, 0) << source;
    if (schema && !schema->current) schema->current = schema->sheet;
    return SchemaPtr(schema);
}

SchemaPtr compile_sheet(const std::string& items, const std::string& ports) {
    return compile(schematic(items, ports));
}

namespace {

ContextPtr build_by(Schema* schema, int (*builder)(NetContext*, Schema*), int* result) {
    ContextPtr context(new_NetContext(), ContextFree{schema});
    int r = builder(context.get(), schema);
    if (result) *result = r;
    return context;
}

}  // namespace

ContextPtr build(Schema* schema, int* result) { return build_by(schema, build_sheet_nets, result); }

ContextPtr build_plain(Schema* schema, int* result) {
    return build_by(schema, plain_build, result);
}

std::string describe_nets(const NetContext* context) {
    std::string out;
    for (Ident* head : list_items<Ident>(context->islands)) out += net_text(head) + "\n";
    return out;
}

std::string describe_build(const NetContext* context, const Schema* schema) {
    std::ostringstream out;
    out << describe_nets(context);
    auto at = indexes(schema);
    std::unordered_map<const void*, int> heads;
    int h = 0;
    for (Ident* head : list_items<Ident>(context->islands)) heads[head] = h++;
    auto ref = [&](const void* p) -> std::string {
        if (!p) return "-";
        if (at.count(p)) return std::to_string(at[p]);
        if (heads.count(p)) return "H" + std::to_string(heads[p]);
        return "?";
    };
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        out << int(item->type) << " s" << std::hex << item->state << std::dec << " " << item->pos.x
            << "," << item->pos.y;
        if (item->type == LINE_ITEM)
            out << "-" << as_Line(item)->end.x << "," << as_Line(item)->end.y;
        out << " p" << ref(item->prev) << " n" << ref(item->next);
        if (item->type == PSEUDO_PIN)
            out << " stub " << ref(as_PseudoPin(item)->stub) << " "
                << member_text(as_PseudoPin(item));
        out << "\n";
    }
    return out.str();
}

std::string net_at(const NetContext* context, int x, int y) {
    for (Ident* head : list_items<Ident>(context->islands))
        for (const SchItem* m = head->nextconn; m; m = m->next)
            if (m->pos.x == x && m->pos.y == y) return net_text(head);
    return "";
}

int net_count(const NetContext* context) {
    return context->islands ? int(context->islands->count) : 0;
}

void NetTest::SetUp() {
    config_set_defaults();
    reset_services();
    reset_object_ids(1);
    captured.clear();
    set_net_warning_hook(capture);
}

void NetTest::TearDown() {
    set_net_warning_hook(nullptr);
    reset_services();
    config_set_defaults();
}

std::string& NetTest::warnings() { return captured; }

}  // namespace net_test
