// Importing the parts of a per-sheet net file's library into a schematic.
#include <cstring>
#include <string>

#include "foundation/app_utils.h"
#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"

namespace {

// Sets lib_reading for the life of an import.
class ImportScope {
public:
    ImportScope() : was_(lib_reading()) { set_lib_reading(true); }
    ~ImportScope() { set_lib_reading(was_); }
    ImportScope(const ImportScope&) = delete;
    ImportScope& operator=(const ImportScope&) = delete;

private:
    bool was_;
};

// The own library's part takes the object ids of the imported part's pins,
// pin by pin, so that the net file's pin references still resolve.
void copy_pin_ids(const PinList* from, PinList* to) {
    if (!from || !to) return;
    ListNode* target = to->pins ? to->pins->head : nullptr;
    for (const Pin* pin : list_items<Pin>(from->pins)) {
        if (!target) return;
        static_cast<Pin*>(target->data)->id = pin->id;
        target = target->next;
    }
}

// The own library's entry of the imported entry's name takes its pins' ids.
void take_pin_ids(Schema* schema, const LibEntry* entry) {
    LibEntry* own = find_LibEntry_latest(schema->library, entry->name.get());
    if (own && own->part && entry->part && own->part != entry->part) {
        copy_pin_ids(entry->part->normal_pins, own->part->normal_pins);
        copy_pin_ids(entry->part->convert_pins, own->part->convert_pins);
    }
}

}  // namespace

bool import_net_library(Schema* schema, Library* library) {
    ImportScope reading;
    set_current_library(library);  // its fonts go with the parts placed
    for (LibEntry* entry : lib_entries_post_order(library)) {
        std::string name = entry->name.get();
        size_t slash = name.find('/');
        if (slash == std::string::npos) {
            // A sheet compiled from source may name its parts without a
            // library: its placed parts name the entry as it is.
            if (!find_LibEntry_latest(schema->library, name.c_str()) && entry->part)
                add_own_entry(schema, name, entry->part, entry);
            take_pin_ids(schema, entry);
            continue;
        }
        std::string library_name = name.substr(0, slash);
        std::string part_name = name.substr(slash + 1);
        set_Library_name(library, library_name.c_str());
        set_Library_file_name(library, make_kind_file_name(library_name.c_str(), 1, 1).c_str());
        PlacedPart* placed = nullptr;
        if (setup_new_part(schema, library_name.c_str(), part_name.c_str(), &placed, entry->part,
                           entry) != 0)
            return false;
        take_pin_ids(schema, entry);
        free_PlacedPart(schema, placed, false);
    }
    return true;
}
