// Conversion of foreign records into a native schema (see genwind.h).
#include "import/genwind.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/foreign.h"
#include "import/genwind_kit.h"
#include "import/sdt_job.h"
#include "model/documents/document.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

namespace {

constexpr int32_t S = GENWIND_SCALE;

int line(GenwindState* st, const ForeignObject* o, size_t offset, uint8_t flags) {
    Line* l = genwind_add_item(st, new_Line());
    l->pos = genwind_at(o, offset);
    l->end = genwind_at(o, offset + 4);
    l->flags = flags;
    return 0;
}

int bus_entry(GenwindState* st, Point p, bool direction) {
    const int32_t g = proper_get(GRID_SIZE);
    Line* l = genwind_add_item(st, new_Line());
    if (direction) {
        l->pos = Point{p.x - g, p.y - g};
        l->end = p;
    } else {
        l->pos = p;
        l->end = Point{p.x - g, p.y + g};
    }
    return 0;
}

int text(GenwindState* st, const ForeignObject* o, Point p, size_t string_at, uint8_t flags) {
    std::string s;
    if (!pstring_get(o, string_at, 0, &s)) return -1;
    Text* t = genwind_add_item(st, new_Text());
    t->pos = p;
    t->flags = flags;
    t->string = genwind_limited(flags == LABEL ? genwind_bus_name(s) : s);
    return 0;
}

int power(GenwindState* st, const ForeignObject* o, Point p, unsigned style, unsigned orient,
          size_t name_at) {
    std::string name;
    if (!pstring_get(o, name_at, 0, &name)) return -1;
    static const uint8_t orientations[4] = {0, 2, 3, 1};
    Power* pw = genwind_add_item(st, new_Power());
    pw->pos = p;
    pw->name.set(genwind_limited(name).c_str());
    pw->flags = static_cast<uint8_t>(((style & 3) << 6) | orientations[orient & 3]);
    return 0;
}

enum PortKind { KIND_IN, KIND_OUT, KIND_IO, KIND_UNSPEC };

int module_port(GenwindState* st, Point p, PortKind kind, unsigned shape, int32_t length,
                const std::string& name) {
    const int32_t g = proper_get(GRID_SIZE);
    const int32_t L = length * S;
    static const uint8_t styles[4] = {PORT_INPUT, PORT_OUTPUT, PORT_BIDIR, PORT_UNSPEC};
    uint8_t flags = styles[kind];
    int32_t working = 0;
    if (shape > 3) shape = 0;
    // An input of shape 2 meets its wire past its name (x moved by L + g);
    // an input of shape 1 and an output of shape 1 or 2 meet it at x itself
    // (the files of the foreign program put the wire end there, never at
    // x + L + g for an output), the port drawn to the right of that point.
    const bool plain_end = kind == KIND_IN && shape == 2;
    const bool arrow_end =
        (kind == KIND_IN && shape == 1) || (kind == KIND_OUT && shape != 0 && shape != 3);
    if (shape == 0) {
        flags |= PORT_RIGHT | PORT_AS_UNSPEC, working = L;
    } else if (shape == 3) {
        flags |= PORT_RIGHT | PORT_AS_BIDIR, working = L + 2 * g;
    } else if (plain_end) {
        p.x += L + g;
    } else if (arrow_end) {
        flags |= PORT_RIGHT;
    } else {  // shapes 1 and 2 of input-output and unspecified ports
        flags |= PORT_RIGHT | PORT_AS_OUTPUT;
        working = kind == KIND_IO ? L + 2 * g : L;
    }
    Port* port = new_Port();
    if (!port) no_memory();
    port->pos = p;
    port->flags = flags;
    port->name.set(genwind_limited(genwind_bus_name(name)).c_str());
    if (!st->schema->ports && !(st->schema->ports = list_new())) no_memory();
    if (!dlist_append(st->schema->ports, port)) no_memory();
    st->lengths[port] = working;
    return 0;
}

void set_text(Schema* schema, int field, const std::string& text) {
    if (!schema_set_field(schema, field, text.c_str()))
        sdt_log("*** WARNING ***: Text cut to %zu characters: '%s'\n",
                schema_field_capacity(field) - 1, text.c_str());
}

int title(GenwindState* st, const ForeignObject* o) {
    static const int fields[7] = {FIELD_DOCNUMBER,   FIELD_REVCODE,      FIELD_TITLE,
                                  FIELD_COMPANYNAME, FIELD_COMPANYADDR1, FIELD_COMPANYADDR2,
                                  FIELD_COMPANYADDR3};
    for (int i = 0; i < 7; ++i) {
        std::string s;
        pstring_get(o, 35 + 129 * static_cast<size_t>(i), 0,
                    &s);  // a slot the record lacks stays empty
        set_text(st->schema, fields[i], s.substr(0, 128));
    }
    st->schema->sheet_size = static_cast<int8_t>(fo_u8(o, 12));
    return 0;
}

Port* box_port(SubSheet* box, int32_t dx, int32_t y, uint8_t style, const std::string& name) {
    Port* port = new_Port();
    if (!port || !dlist_append(box->ports, port)) no_memory();
    port->pos = dx > 0 ? Point{0, y} : Point{box->size.x, y};
    port->flags = static_cast<uint8_t>(style | (dx > 0 ? 0 : PORT_RIGHT));
    port->name.set(genwind_limited(genwind_bus_name(name)).c_str());
    return port;
}

SubSheet* new_box(GenwindState* st, Point p, int32_t w, int32_t h, std::string file,
                  const std::string& sheet_name) {
    SubSheet* box = new_SubSheet();
    if (!box) no_memory();
    box->pos = p;
    box->size = Point{w * S, h * S};
    box->time_stamp = st->stamp++;
    for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    box->file_name = file;
    box->sheet_name.set(genwind_limited(sheet_name).c_str());
    return box;
}

int sheet32(GenwindState* st, const ForeignObject* o) {
    const size_t n = fo_u32(o, 24);
    const size_t strings = 28 + 12 * n;  // the reader checked the table lies in the record
    std::string file, name;
    if (!pstring_get(o, strings, 0, &file) || !pstring_get(o, strings, 1, &name)) return -1;
    SubSheet* box = new_box(st, genwind_at(o, 8), fo_i16(o, 12), fo_i16(o, 14), file, name);
    static const uint8_t styles[3] = {PORT_INPUT, PORT_BIDIR, PORT_OUTPUT};
    int result = 0;
    for (size_t i = 0; i < n && result == 0; ++i) {
        const size_t e = 28 + 12 * i;
        std::string entry;
        if (!pstring_get(o, strings, static_cast<int>(10 + i), &entry)) result = -1;
        const unsigned type = fo_u8(o, e + 8);
        box_port(box, fo_i16(o, e), fo_i16(o, e + 2) * S,
                 type < 3 ? styles[type] : uint8_t{PORT_UNSPEC}, entry);
    }
    subsheet_reset_area(box);
    genwind_add_item(st, box);
    return result;
}

int sheet16(GenwindState* st, const ForeignObject* o) {
    const size_t B = SDT16_HEAD;
    std::string file, name;
    size_t at_entry = 0;
    if (!pstring_get(o, B + 13, 0, &file) || !pstring_get(o, B + 13, 1, &name) ||
        !pstring_skip(o, B + 13, 2, &at_entry))
        return -1;
    Point p{static_cast<int32_t>(fo_u16(o, B)) * S, static_cast<int32_t>(fo_u16(o, B + 2)) * S};
    SubSheet* box = new_box(st, p, static_cast<int32_t>(fo_u16(o, B + 4)),
                            static_cast<int32_t>(fo_u16(o, B + 6)), file, name);
    static const uint8_t styles[4] = {PORT_UNSPEC, PORT_OUTPUT, PORT_INPUT, PORT_BIDIR};
    int result = 0;
    for (unsigned i = 0, n = fo_u8(o, B + 12); i < n; ++i) {
        std::string entry;
        if (!pstring_get(o, at_entry + 5, 0, &entry)) {
            result = -1;
            break;
        }
        const unsigned type = fo_u8(o, at_entry + 4);
        box_port(box, fo_i16(o, at_entry), (fo_i16(o, at_entry + 2) - 4) * S,
                 type < 4 ? styles[type] : uint8_t{PORT_UNSPEC}, entry);
        at_entry += 5 + 1 + entry.size();
    }
    subsheet_reset_area(box);
    genwind_add_item(st, box);
    return result;
}

// --- the two tables ----------------------------------------------------------------------

int object32(GenwindState* st, const ForeignObject* o) {
    switch (o->type) {
        case SDT32_TITLE: return title(st, o);
        case SDT32_SHEET: return sheet32(st, o);
        case SDT32_PART: return genwind_part32(st, o);
        case SDT32_WIRE: return line(st, o, 8, 0);
        case SDT32_BUS: return line(st, o, 8, BUS);
        case SDT32_DASHED: return line(st, o, 8, DRAW);
        case SDT32_LABEL: return text(st, o, genwind_at(o, 8), 14, LABEL);
        case SDT32_TEXT: return text(st, o, genwind_at(o, 8), 14, 0);
        case SDT32_PORT: {
            std::string name;
            if (!pstring_get(o, 16, 0, &name)) return -1;
            static const PortKind kinds[3] = {KIND_IN, KIND_IO, KIND_OUT};
            const unsigned k = fo_u8(o, 12);
            return module_port(st, genwind_at(o, 8), k < 3 ? kinds[k] : KIND_UNSPEC, fo_u8(o, 13),
                               fo_i16(o, 14), name);
        }
        case SDT32_POWER: {
            const unsigned f = fo_u8(o, 12);
            return power(st, o, genwind_at(o, 8), f & 3, f >> 6, 13);
        }
        case SDT32_BUS_ENTRY: return bus_entry(st, genwind_at(o, 8), fo_u8(o, 12) & 1);
        case SDT32_JUNCTION: genwind_add_item(st, new_Junction())->pos = genwind_at(o, 8); return 0;
        case SDT32_NOCONNECT: genwind_add_item(st, new_NoCon())->pos = genwind_at(o, 8); return 0;
        default: return 0;
    }
}

int object16(GenwindState* st, const ForeignObject* o) {
    const size_t B = SDT16_HEAD;
    switch (o->type) {
        case SDT16_SHEET: return sheet16(st, o);
        case SDT16_PART: return genwind_part16(st, o);
        case SDT16_WIRE: return line(st, o, B, 0);
        case SDT16_BUS: return line(st, o, B, BUS);
        case SDT16_DASHED: return line(st, o, B, DRAW);
        case SDT16_LABEL: return text(st, o, genwind_at(o, B), B + 6, LABEL);
        case SDT16_TEXT: return text(st, o, genwind_at(o, B), B + 6, 0);
        case SDT16_PORT: {
            std::string name;
            if (!pstring_get(o, B + 6, 0, &name)) return -1;
            static const PortKind kinds[4] = {KIND_UNSPEC, KIND_OUT, KIND_IN, KIND_IO};
            const unsigned type = fo_u8(o, B + 4);
            return module_port(st, genwind_at(o, B), kinds[type >> 6], (type >> 4) & 3,
                               static_cast<int32_t>(fo_u8(o, B + 5)), name);
        }
        case SDT16_POWER: {
            const unsigned f = fo_u8(o, B + 4);
            return power(st, o, genwind_at(o, B), f & 3, (f >> 2) & 3, B + 5);
        }
        case SDT16_BUS_ENTRY: return bus_entry(st, genwind_at(o, B), fo_u8(o, B + 4) & 1);
        case SDT16_JUNCTION: genwind_add_item(st, new_Junction())->pos = genwind_at(o, B); return 0;
        case SDT16_PROPERTY:
            if (fo_u8(o, B) == 4) genwind_add_item(st, new_NoCon())->pos = genwind_at(o, B + 1);
            return 0;
        case SDT16_FRAME:
        case SDT16_END:
        case SDT16_SYMBOLS: return 0;
        default: {
            char line_text[48];
            std::snprintf(line_text, sizeof line_text, "Unknow object = %d\n", o->type);
            services().debug_write(line_text);
            return 0;
        }
    }
}

}  // namespace

std::string genwind_bus_name(const std::string& text) {
    // base '[' digits (':' or one '.') digits ']'
    const size_t open = text.rfind('[');
    if (open == std::string::npos || text.size() < open + 5 || text.back() != ']') return text;
    auto digits = [&](size_t at) {
        size_t end = at;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        return end;
    };
    const size_t sep = digits(open + 1);
    if (sep == open + 1 || (text[sep] != ':' && text[sep] != '.')) return text;
    const size_t close = digits(sep + 1);
    if (close == sep + 1 || close != text.size() - 1) return text;
    return text.substr(0, sep) + ".." + text.substr(sep + 1);
}

int genwind_object(GenwindState* state, const ForeignObject* object) {
    return state->file->sixteen ? object16(state, object) : object32(state, object);
}

bool genwind_port_touches_line(const Port* port, int32_t length, const Line* line, Point* at,
                               int* end) {
    const int32_t g = proper_get(GRID_SIZE);
    for (Point p : {line->pos, line->end}) {
        if (p.y != port->pos.y) continue;
        if (std::llabs(int64_t{p.x} - port->pos.x) <= g) {
            *at = p, *end = 0;
            return true;
        }
        if (std::llabs(int64_t{p.x} - (int64_t{port->pos.x} + length)) <= g) {
            *at = p, *end = 1;
            return true;
        }
    }
    return false;
}

void genwind_connect_ports(GenwindState* st) {
    Schema* schema = st->schema;
    if (!schema->ports || !schema->sheet->items || schema->sheet->items->count == 0) return;
    for (Port* port : list_items<Port>(schema->ports)) {
        const int32_t length = st->lengths.count(port) ? st->lengths[port] : 0;
        if (length == 0) continue;
        Point left_at, right_at;
        bool left = false, right = false;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != LINE_ITEM) continue;
            Point p;
            int end = 0;
            if (!genwind_port_touches_line(port, length, as_Line(item), &p, &end)) continue;
            if (end == 0)
                left = true, left_at = p;
            else
                right = true, right_at = p;
        }
        if (!left && !right) {
            sdt_log("*** WARNING ***: Port '%s' is not connected\n", port->name.get());
        } else if (left && right) {
            sdt_log("*** WARNING ***: Connection of Port '%s' is ambiguous\n", port->name.get());
        } else if (right) {
            port->pos = right_at;
            port->flags &= static_cast<uint8_t>(~PORT_RIGHT);
        } else {
            port->pos = left_at;
            port->flags |= PORT_RIGHT;
        }
    }
}

Schema* genwind_build_schema(ForeignFile* file) {
    GenwindState st;
    new_active_schema(&st.schema);
    st.file = file;
    st.stamp = time_stamp();
    if (file->sixteen && !file->objects.empty() && file->objects.back()->type == SDT16_SYMBOLS)
        st.symbols = file->objects.back().get();
    int index = 0;
    for (const auto& object : file->objects) {
        if (genwind_object(&st, object.get()) != 0) {
            sdt_log("*** WARNING ***: Damaged record %d (type %d) in '%s'\n", index, object->type,
                    file->name.c_str());
            free_Schema(st.schema, false);
            return nullptr;
        }
        ++index;
    }
    genwind_connect_ports(&st);
    return st.schema;
}

int genwind_convert_file(ForeignFile* file, const char* output, List* written) {
    if (!file->input.empty() &&
        sdt_same_file(make_kind_file_name(output, KIND_SCHEMA, 2), file->input)) {
        sdt_log("*** WARNING ***: Output File = Input File =  '%s'\n", file->input.c_str());
        return -1;
    }
    Schema* schema = genwind_build_schema(file);
    if (!schema) return -1;
    const int code = save_schema_file(schema, output, true);
    free_Schema(schema, false);
    if (code == DOC_CANCELLED) return 0;
    if (code == FILE_NOT_WRITTEN) return code;  // the job's log names the file
    if (code != 0) return -1;
    if (written && !dlist_append(written, str_dup(last_written_schema().c_str()))) no_memory();
    return 0;
}
