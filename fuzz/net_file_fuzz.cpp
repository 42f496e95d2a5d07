// Reads random bytes as a per-sheet net file the way the hierarchy link
// does: the library, the objects, the ports, then the nets with their
// members resolved. Everything read is released with the document and the
// context (the sanitizer build reports leaks, double releases and reads
// past what was read).
#include <cstdint>
#include <cstdio>

#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "foundation/binary_stream.h"
#include "foundation/list.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"

namespace {

bool is_object_tag(int c) { return c == 0xC7 || c == 0xCA || c == 0xCC || c == 0xCD || c == 0xCF; }

void read_net_file(Schema* schema, NetContext* context, FILE* f) {
    uint8_t tag = 0;
    if (read_byte(&tag, f) != 0 || tag != NET_FILE_TAG) return;
    if (read_Library(schema->library, f, false) != 0) return;
    for (int c = std::getc(f); c != EOF && is_object_tag(c); c = std::getc(f)) {
        std::ungetc(c, f);
        SchItem* item = nullptr;
        int r = read_SchItem(schema, &item, f);
        if (item) dlist_append(schema->sheet->items, item);
        if (r != 0) return;
    }
    if (read_net_ports(context, f) != 0) return;
    read_net_nets(context, &context->islands, f, schema->library);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f) return 0;
    Schema* schema = new_Schema();
    schema->library = new_Library();
    schema->sheet = new_Sheet();
    schema->current = schema->sheet;
    NetContext* context = new_NetContext();
    context->sheet = schema->sheet;
    read_net_file(schema, context, f);
    std::fclose(f);
    for (Port* port : list_items<Port>(context->ports)) free_Port(port, false);
    if (context->ports) dlist_free(context->ports, LIST_FROM_HEAD, nullptr);
    context->ports = nullptr;
    free_NetContext(schema, context);
    free_Schema(schema, false);
    return 0;
}
