#include "editor_fixture.h"

#include <algorithm>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema_file.h"
#include "model/documents/sheet_items.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "support/test_env.h"

namespace editor_test {

namespace {
void quiet(const char*, ...) {}
}  // namespace

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

std::vector<std::vector<std::string>> EditorTest::nets() {
    std::vector<std::vector<std::string>> found;
    tn_test::TempDir dir;
    const std::string file = dir.file("nets.sch");
    tn_test::write_bytes(file, saved_bytes());
    Schema* copy = nullptr;
    if (load_schema_file(&copy, file.c_str()) != 0) return found;
    NetContext* context = new_NetContext();
    if (build_sheet_nets(context, copy) == 0)
        for (Ident* head : list_items<Ident>(context->islands)) {
            std::vector<std::string> members;
            for (SchItem* m = head->nextconn; m; m = m->next) {
                const PseudoPin* pp = as_PseudoPin(m);
                if (pp->father && pp->father->type == PARTLIB_ITEM && pp->pin) {
                    const PlacedPart* part = as_PlacedPart(pp->father);
                    members.push_back(std::string(part->reference.text.get()) + "." +
                                      std::to_string(part->device) + ":" + pp->pin->name.get());
                } else if (pp->whoami && pp->whoami->type == PORT_ITEM) {
                    members.push_back(std::string("port:") + as_Port(pp->whoami)->name.get());
                } else if (pp->whoami && pp->whoami->type == POWER_ITEM) {
                    members.push_back(std::string("power:") + as_Power(pp->whoami)->name.get());
                } else {
                    members.push_back(std::to_string(int(pp->whoami ? pp->whoami->type : 0)) + "@" +
                                      std::to_string(m->pos.x) + "," + std::to_string(m->pos.y));
                }
            }
            std::sort(members.begin(), members.end());
            found.push_back(members);
        }
    free_NetContext(copy, context);
    free_Schema(copy, false);
    std::sort(found.begin(), found.end());
    return found;
}

bool EditorTest::joined(const std::string& a, const std::string& b) {
    for (const std::vector<std::string>& net : nets())
        if (std::count(net.begin(), net.end(), a) && std::count(net.begin(), net.end(), b))
            return true;
    return false;
}

void EditorTest::open_source(const std::string& source_file) {
    tn_test::TempDir dir;
    const std::string sheet = dir.file("opened.sch");
    proper_set(COMPSHEET_HIER, 1, 0);  // the sheet alone, not its sub-sheets
    ASSERT_EQ(compile_sheets(source_file.c_str(), sheet.c_str(), nullptr, nullptr, quiet), 0);
    Schema* opened = nullptr;
    ASSERT_EQ(load_schema_file(&opened, sheet.c_str()), 0);
    session_close(&session);
    free_Schema(session.schema, false);
    session_init(&session, opened, 1, &main_mode, &host);
}

}  // namespace editor_test
