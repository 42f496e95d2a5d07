#include "editor_fixture.h"

#include "foundation/errors.h"
#include "foundation/list.h"
#include "model/documents/schema_file.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"
#include "support/test_env.h"

namespace editor_test {

void RecordingHost::xor_items(List* items) {
    ++xor_calls;
    int n = items ? static_cast<int>(items->count) : 0;
    xor_parity = xor_parity >= n ? xor_parity - n : xor_parity + n;
}

void EditorTest::SetUp() {
    SheetTest::SetUp();
    set_message_formatter(error_message);
    Schema* schema = sheet_test::make_schema().release();
    session_init(&session, schema, 1, &main_mode, &host);
}

void EditorTest::TearDown() {
    session_close(&session);
    free_Schema(session.schema, false);
    SheetTest::TearDown();
}

void EditorTest::click(Point p) {
    session_event(&session, EV_MOTION, p);
    session_event(&session, EV_LEFT_DOWN, p);
    session_event(&session, EV_LEFT_UP, p);
}

void EditorTest::draw_out(Point a, Point b, int press_code) {
    session_event(&session, EV_MOTION, a);
    session_event(&session, press_code, a);
    session_event(&session, EV_LEFT_DRAG, Point{(a.x + b.x) / 2, (a.y + b.y) / 2});
    session_event(&session, EV_LEFT_DRAG, b);
    session_event(&session, EV_LEFT_UP, b);
}

int EditorTest::count(int code) {
    int n = 0;
    for (SchItem* item : list_items<SchItem>(doc()->sheet->items)) n += item->type == code;
    for (SchItem* item : list_items<SchItem>(doc()->ports)) n += item->type == code;
    return n;
}

Line* EditorTest::add_line(Point a, Point b, uint8_t style) {
    Line* l = new_Line();
    l->flags = style;
    l->pos = a;
    l->end = b;
    dlist_append(doc()->sheet->items, l);
    return l;
}

std::vector<unsigned char> EditorTest::saved_bytes() {
    std::string date = doc()->modifdate;
    auto bytes = tn_test::bytes_written([&](FILE* f) { write_Schema(doc(), f, 0); });
    copy_field(doc()->modifdate, sizeof doc()->modifdate, date.c_str());
    return bytes;
}

}  // namespace editor_test
