// The view's five tags (bookmarks, shown as letters) and five saved views
// (shown as digits), their names, and their records in the binary schema file.
#include <cstdio>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "model/items/item.h"
#include "model/items/view.h"

namespace {

// What a slot not in use is called, whatever name it keeps.
const char* const tag_defaults[VIEW_SLOTS] = {"A ", "B ", "C ", "D ", "E "};
const char* const saved_defaults[VIEW_SLOTS] = {"View 1", "View 2", "View 3", "View 4", "View 5"};

constexpr int READ_ERROR = 5;  // error table: "Read error"

void check_slot(int i) { TN_ASSERT(i >= 0 && i < VIEW_SLOTS); }

// One entry as read from a file, held until the whole record is good.
struct Entry {
    bool present = false;
    std::string name;
    Point pos;
    double scale = 1.0;
};

// Reads a record of entries: the record's tag, entries introduced by
// `entry_tag`, and one terminating byte. The view is changed only when the
// whole record was read and every slot index was valid.
int read_entries(FILE* stream, uint8_t record_tag, uint8_t entry_tag, bool with_scale,
                 Entry (&entries)[VIEW_SLOTS]) {
    uint8_t byte;
    if (read_byte(&byte, stream) != 0) return -1;
    if (byte != record_tag) {
        ungetc(byte, stream);
        return NOT_MY_TAG;
    }
    int result = 0;
    for (;;) {
        if (read_byte(&byte, stream) != 0) return -1;
        if (byte != entry_tag) break;  // the terminator, normally LIST_END
        uint8_t slot;
        Entry entry;
        if (read_byte(&slot, stream) != 0 || read_string(&entry.name, stream) != 0 ||
            read_point(&entry.pos, stream) != 0 ||
            (with_scale && read_float(&entry.scale, stream) != 0))
            return -1;
        if (slot >= VIEW_SLOTS) {
            warning("view record 0x%02x: slot %d out of range at byte %ld", record_tag, slot,
                    std::ftell(stream));
            result = READ_ERROR;
            continue;
        }
        entry.present = true;
        entries[slot] = entry;
    }
    return result;
}

}  // namespace

void view_reset(View* view) {
    view->centre = Point{};
    view_clear_select(view);
    char name[32];
    for (int i = 0; i < VIEW_SLOTS; ++i) {
        std::snprintf(name, sizeof name, "%c Tag (In Use)", 'A' + i);
        view->tag_names[i] = name;
        view->tags[i].in_use = 0;
        std::snprintf(name, sizeof name, "View %c (In Use)", '1' + i);
        view->saved_names[i] = name;
        view->saved[i].in_use = 0;
    }
}

void view_set_tag(View* view, int i, Point world) {
    check_slot(i);
    view->tags[i].in_use = 1;
    view->tags[i].pos = world;
}

void view_set_saved(View* view, int i, Point world, double scale) {
    check_slot(i);
    view->saved[i].in_use = 1;
    view->saved[i].pos = world;
    view->saved[i].scale = scale;
}

void view_set_tag_name(View* view, int i, const char* name) {
    check_slot(i);
    view->tag_names[i] = name ? name : "";
}

void view_set_saved_name(View* view, int i, const char* name) {
    check_slot(i);
    view->saved_names[i] = name ? name : "";
}

void view_clear_tag(View* view, int i) {
    check_slot(i);
    view->tags[i].in_use = 0;
}

void view_clear_saved(View* view, int i) {
    check_slot(i);
    view->saved[i].in_use = 0;
}

void view_clear_tags(View* view) {
    for (ViewTag& tag : view->tags) tag.in_use = 0;
}

void view_clear_saved_all(View* view) {
    for (ViewSaved& saved : view->saved) saved.in_use = 0;
}

const char* view_get_tag(const View* view, int i, Point* world, bool* in_use) {
    check_slot(i);
    const ViewTag& tag = view->tags[i];
    if (world) *world = tag.pos;
    if (in_use) *in_use = tag.in_use != 0;
    return tag.in_use ? view->tag_names[i].c_str() : tag_defaults[i];
}

const char* view_get_saved(const View* view, int i, Point* world, bool* in_use, double* scale) {
    check_slot(i);
    const ViewSaved& saved = view->saved[i];
    if (world) *world = saved.pos;
    if (in_use) *in_use = saved.in_use != 0;
    if (scale) *scale = saved.scale;
    return saved.in_use ? view->saved_names[i].c_str() : saved_defaults[i];
}

// --- binary records ------------------------------------------------------------------

void write_Tags(const View* view, FILE* stream) {
    write_byte(TAGS_TAG, stream);
    for (int i = 0; i < VIEW_SLOTS; ++i) {
        if (!view->tags[i].in_use) continue;
        write_byte(TAG_ENTRY_TAG, stream);
        write_byte(i, stream);
        write_string(view->tag_names[i].c_str(), stream);
        write_point(view->tags[i].pos, stream);
    }
    write_byte(LIST_END, stream);
}

void write_SavedViews(const View* view, FILE* stream) {
    write_byte(SAVED_VIEWS_TAG, stream);
    for (int i = 0; i < VIEW_SLOTS; ++i) {
        if (!view->saved[i].in_use) continue;
        write_byte(SAVED_ENTRY_TAG, stream);
        write_byte(i, stream);
        write_string(view->saved_names[i].c_str(), stream);
        write_point(view->saved[i].pos, stream);
        write_float(view->saved[i].scale, stream);
    }
    write_byte(LIST_END, stream);
}

int read_Tags(View* view, FILE* stream, bool apply) {
    Entry entries[VIEW_SLOTS];
    int result = read_entries(stream, TAGS_TAG, TAG_ENTRY_TAG, false, entries);
    if (result != 0 || !apply) return result;
    for (int i = 0; i < VIEW_SLOTS; ++i) {
        if (!entries[i].present) continue;
        view_set_tag_name(view, i, entries[i].name.c_str());
        view_set_tag(view, i, entries[i].pos);
    }
    return 0;
}

int read_SavedViews(View* view, FILE* stream, bool apply) {
    Entry entries[VIEW_SLOTS];
    int result = read_entries(stream, SAVED_VIEWS_TAG, SAVED_ENTRY_TAG, true, entries);
    if (result != 0 || !apply) return result;
    for (int i = 0; i < VIEW_SLOTS; ++i) {
        if (!entries[i].present) continue;
        view_set_saved_name(view, i, entries[i].name.c_str());
        view_set_saved(view, i, entries[i].pos, entries[i].scale);
    }
    return 0;
}
