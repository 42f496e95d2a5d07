#include "libedit_fixture.h"

#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace libedit_test {

namespace {

// What an item looks like on the overlay: tools draw copies of their
// ghosts, so that drawing the same picture again takes it away whatever
// record drew it.
std::string picture_of(const SchItem* item) {
    std::string key = std::to_string(item->type) + ":" + std::to_string(item->pos.x) + "," +
                      std::to_string(item->pos.y);
    auto point = [&](Point p) { key += ";" + std::to_string(p.x) + "," + std::to_string(p.y); };
    switch (item->type) {
        case LINE_ITEM: point(as_Line(item)->end); break;
        case ARC_ITEM:
            point(as_Arc(item)->start);
            point(as_Arc(item)->end);
            break;
        case CIRCLE_ITEM: point(as_Circle(item)->on); break;
        case BOITE_ITEM: point(as_Rect(item)->corner); break;
        case TEXT_ITEM: key += ";" + as_Text(item)->string; break;
        default: key += ";" + std::to_string(reinterpret_cast<uintptr_t>(item)); break;
    }
    return key;
}

}  // namespace

void RecordingHost::xor_items(List* items) {
    for (const SchItem* item : list_items<SchItem>(items)) {
        const std::string key = picture_of(item);
        auto shown_now = on_overlay.find(key);
        if (shown_now != on_overlay.end())
            on_overlay.erase(shown_now);
        else
            on_overlay.insert(key);
    }
    shown = static_cast<int>(on_overlay.size());
}

bool RecordingLibHost::ask_text(const char*, const char* caption, const char* proposal,
                                std::string* answer) {
    asked.push_back(std::string(caption) + "|" + proposal);
    if (answers.empty()) return false;
    std::optional<std::string> next = answers.front();
    answers.pop_front();
    if (!next) return false;
    *answer = *next;
    return true;
}

void LibEditTest::SetUp() {
    config_set_defaults();
    reset_services();
    reset_object_ids(1);
    set_message_formatter(error_message);
    init_Libraries();
}

void LibEditTest::TearDown() {
    session_close(&session);
    libedit_reset(&ed);
    Schema* schema = session.schema;
    close_schema(nullptr, &schema);
    free_open_libraries();
    reset_services();
    config_set_defaults();
}

void LibEditTest::start(int kind) {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    session_init(&session, schema, kind, &libedit_main_mode, &host);
    libedit_bind(&ed, &session, &lib_host);
}

namespace {

Vectors* one_line(Point a, Point b) {
    Vectors* set = new_Vectors();
    Line* line = new_Line();
    line->flags = DRAW;
    line->pos = a;
    line->end = b;
    append_or_die(set->items, line);
    ref_Vectors(set);
    return set;
}

}  // namespace

Part* LibEditTest::add_part(const char* name, int devices, int w, int h, bool converted) {
    Part* part = new_Part();
    part->body = Rect{0, 0, w, h};
    part->prefix.set("U");
    set_Part_devices(part, devices);
    part->normal = one_line(Point{0, 0}, Point{w, h});
    if (converted) {
        part->convert = one_line(Point{w, 0}, Point{0, h});
        part->state |= PART_CONVERTED;
    }
    part->normal_pins = new_PinList();
    Pin* input = new_Pin(devices);
    input->name.set("A");
    input->type = PIN_IN;
    input->flags = LEFT;
    input->pos = Point{0, h / 2};
    for (int i = 0; i < devices; ++i) set_pin_number(input, i, std::to_string(i + 1).c_str());
    append_or_die(part->normal_pins->pins, input);
    Pin* power = new_Pin(devices);
    power->name.set("VCC");
    power->type = PWR;
    power->flags = TOP;
    power->pos = Point{w / 2, 0};
    append_or_die(part->normal_pins->pins, power);
    LibEntry* entry = new_LibEntry();
    entry->name.set(name);
    entry->part = part;
    ref_Part(part);
    free_LibEntry(lib_insert_entry(lib(), entry));
    return part;
}

void LibEditTest::get_part(const char* name) {
    LibEntry* entry = find_LibEntry(lib(), name);
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(libedit_load_part(&ed, entry, true));
    libedit_attach_part(&ed, entry, name);
}

int LibEditTest::count(int code) {
    int n = 0;
    for (SchItem* item : list_items<SchItem>(items())) n += item->type == code;
    return n;
}

void LibEditTest::click(Point p) {
    move(p);
    session_event(&session, EV_LEFT_DOWN, p);
    session_event(&session, EV_LEFT_UP, p);
}

void LibEditTest::right_click(Point p) {
    move(p);
    session_event(&session, EV_RIGHT_DOWN, p);
    session_event(&session, EV_RIGHT_UP, p);
}

void LibEditTest::move(Point p) { session_event(&session, EV_MOTION, p); }

}  // namespace libedit_test
