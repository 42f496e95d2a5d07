// Conversion of foreign part records into placed parts (see genwind.h).
#include <cctype>
#include <string>

#include "foundation/file_names.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/genwind_kit.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/items/part.h"

namespace {

constexpr int32_t S = GENWIND_SCALE;

std::string library_name() {
    std::string name = path_base_name(strproper_get(SDT_LIBFILE));
    change_suffix(name, "", 0);
    return name;
}

PlacedPart* place(Schema* schema, const std::string& name) {
    PlacedPart* placed = nullptr;
    if (part_search_setup(schema, name.c_str(), library_name().c_str(), &placed) != 0) return nullptr;
    return placed;
}

// Device index from the foreign device number (from 1) and the reference
// without its device letter; a mismatch or a number out of range is
// reported and the part keeps device A or the number given.
void set_device(PlacedPart* pl, const Part* part, unsigned number) {
    if (!part || part->devices < 2) return;
    std::string ref = pl->reference.text.get();
    if (number < 1 || number > static_cast<unsigned>(part->devices)) {
        sdt_log("*** WARNING ***: Device %u of '%s' out of range\n", number, ref.c_str());
        number = 1;
    }
    pl->device = static_cast<int32_t>(number - 1);
    if (!ref.empty() && std::isalpha(static_cast<unsigned char>(ref.back()))) {
        if (std::toupper(static_cast<unsigned char>(ref.back())) != 'A' + pl->device)
            sdt_log("*** WARNING ***: Reference '%s' does not match device %u\n", ref.c_str(),
                    number);
        ref.pop_back();
        pl->reference.text.set(ref.c_str());
    } else {
        sdt_log("*** WARNING ***: Reference '%s' does not match device %u\n", ref.c_str(), number);
    }
}

// Orientation, anchor and converted form; rotation is the native code 0..3.
void orient(Schema* schema, PlacedPart* pl, bool mirror, int rotation, bool converted) {
    Matrix m;
    matrix_identity(&m);
    if (mirror) {
        pl->flags |= PL_MY;
        matrix_mirror(&m, 0);
    }
    if (rotation) {
        pl->flags = static_cast<uint8_t>((pl->flags & ~PL_ROT_MASK) | rotation);
        matrix_rotate(&m, rotation);
    }
    if (const Part* part = pl_get_part(schema->library, pl)) {
        Point corner;
        matrix_apply(&m, Point{part->body.w, part->body.h}, &corner);
        if (corner.x < 0) pl->pos.x -= corner.x;
        if (corner.y < 0) pl->pos.y -= corner.y;
    }
    if (converted) pl->flags |= PL_CONVERT;
}

Attribute* new_field(List* list, const std::string& text) {
    Attribute* a = new_Attribute();
    if (!a || !dlist_append(list, a)) no_memory();
    a->text.set(genwind_limited(text).c_str());
    return a;
}

List* fresh_list(PlacedPart* pl) {
    free_Attribute_list(pl->attributes);
    pl->attributes = list_new();
    if (!pl->attributes) no_memory();
    return pl->attributes;
}

// The next name of the 16-bit symbol list, or false at its end.
bool symbol_list_next(GenwindState* st, std::string* name) {
    if (!st->symbols || fo_u8(st->symbols, st->symbol_at) == 0) return false;
    if (!pstring_get(st->symbols, st->symbol_at, 0, name)) return false;
    st->symbol_at += 1 + name->size();
    return true;
}

}  // namespace

int genwind_part32(GenwindState* st, const ForeignObject* o) {
    std::string first, second;
    pstring_get(o, 78, 11, &first);
    pstring_get(o, 78, 12, &second);
    // The first name when the library has it, else the second; a sheet
    // whose second name is empty names its part by the first alone.
    PlacedPart* pl = first.empty() ? nullptr : place(st->schema, first);
    const std::string& name = pl || second.empty() ? first : second;
    if (!pl && name.empty()) {
        sdt_log("*** WARNING ***: Blank part\n");
        return 0;
    }
    if (!pl && (&name == &first || !(pl = place(st->schema, name)))) {
        sdt_log("*** WARNING ***: No Such Part : %s\n", name.c_str());
        return 0;
    }
    std::string loading = "Loading Part : " + name + "\n";
    services().debug_write(loading.c_str());
    pl->pos = genwind_at(o, 8);
    pl->time_stamp = genwind_time_stamp(fo_u32(o, 24), fo_u32(o, 28));
    const Part* part = pl_get_part(st->schema->library, pl);
    List* further = fresh_list(pl);
    for (int i = 0; i < 10; ++i) {
        std::string s;
        pstring_get(o, 78, i, &s);
        if (i == 0) pl->reference.text.set(genwind_limited(s).c_str());
        else if (i == 1) pl->value.text.set(genwind_limited(s).c_str());
        else new_field(further, s);
    }
    set_device(pl, part, fo_u16(o, 32));
    const uint32_t flags = fo_u32(o, 16);
    static const int rotations[4] = {0, 3, 2, 1};
    orient(st->schema, pl, flags & 4, rotations[flags & 3], flags & 8);
    for (int i = 0; i < 10; ++i) {
        Attribute* a = pl_get_attribute(pl, i);
        if (!a) break;
        const int32_t dx = fo_i16(o, 34 + 4 * static_cast<size_t>(i));
        const int32_t dy = fo_i16(o, 36 + 4 * static_cast<size_t>(i));
        if (dx == 0 && dy == 0) {
            a->flags &= static_cast<uint8_t>(~SET);
        } else {
            a->pos = Point{pl->pos.x + dx * S, pl->pos.y + dy * S};
            a->flags |= SET;
        }
        if ((flags >> (6 + i)) & 1) a->flags &= static_cast<uint8_t>(~VIS);
        else a->flags |= VIS;
    }
    genwind_add_item(st, pl);
    return 0;
}

int genwind_part16(GenwindState* st, const ForeignObject* o) {
    const size_t B = SDT16_HEAD;
    std::string reference, value;
    size_t fields_at = 0;
    if (!pstring_get(o, B + 28, 0, &reference) || !pstring_get(o, B + 28, 1, &value) ||
        !pstring_skip(o, B + 28, 2, &fields_at))
        return -1;
    std::string name;
    if (!symbol_list_next(st, &name)) name = value;
    if (name.empty()) {
        sdt_log("*** WARNING ***: Blank part\n");
        return 0;
    }
    PlacedPart* pl = place(st->schema, name);
    if (!pl) {
        sdt_log("*** WARNING ***: No Such Part : %s\n", name.c_str());
        return 0;
    }
    pl->pos = genwind_at(o, B);
    pl->time_stamp = st->stamp++;
    const Part* part = pl_get_part(st->schema->library, pl);
    pl->reference.text.set(genwind_limited(reference).c_str());
    pl->value.text.set(genwind_limited(value).c_str());
    for (Attribute* a : {&pl->reference, &pl->value})
        a->flags = static_cast<uint8_t>((a->flags | VIS) & ~SET);
    const unsigned status = fo_u16(o, B + 12);
    int result = 0;
    if (status & 0x4000) {
        List* fields = fresh_list(pl);
        for (int i = 0; i < 8; ++i) {
            std::string s;
            if (!pstring_get(o, fields_at + 4, 0, &s)) {
                result = -1;
                break;
            }
            Attribute* a = new_field(fields, s);
            a->pos = Point{fo_i16(o, fields_at), fo_i16(o, fields_at + 2)};
            a->flags = static_cast<uint8_t>(VIS | (a->pos.x || a->pos.y ? SET : 0));
            fields_at += 5 + s.size();
        }
    }
    set_device(pl, part, status & 15);
    static const int rotations[8] = {0, 0, 3, 0, 2, 0, 1, 0};
    orient(st->schema, pl, status & 0x80, rotations[(status >> 4) & 7], status & 0x100);
    genwind_add_item(st, pl);
    return result;
}

uint32_t genwind_time_stamp(uint32_t date, uint32_t time) {
    const uint32_t year = date & 63;
    const uint32_t month = time / 267840000u;
    const uint32_t day = (time % 267840000u) / 8640000u;
    const uint32_t hour = (time % 8640000u) / 360000u;
    const uint32_t minute = (time % 360000u) / 6000u;
    const uint32_t second = (time % 6000u) / 100u;
    const uint32_t hundredths = time % 100u;
    return year * 642816000u + month * 53568000u + day * 1728000u + hour * 72000u +
           minute * 1200u + second * 20u + hundredths / 5u;
}
