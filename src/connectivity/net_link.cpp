// Linking a hierarchy of net files.
#include "connectivity/net_link.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "connectivity/netlist_table.h"
#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"

namespace {

constexpr int NOT_OPENED = 1;
constexpr int NOT_A_NET_FILE = 66;

// A net file opened for reading with a buffer larger than stdio's page: a
// linked design's file runs to megabytes, read a byte at a time. (glibc
// keeps its own size unless it is given the buffer.)
struct NetFileIn {
    static constexpr size_t BUFFER_SIZE = size_t{1} << 16;
    std::unique_ptr<char[]> buffer;
    FILE* f;
    // The name in the system's form: a sheet named from a folder written
    // "." comes as ".\name".
    explicit NetFileIn(const std::string& file) : f(open_file(file.c_str(), "rb")) {
        if (!f) return;
        buffer.reset(new char[BUFFER_SIZE]);
        std::setvbuf(f, buffer.get(), _IOFBF, BUFFER_SIZE);
    }
    ~NetFileIn() { close(); }
    void close() {
        if (f) std::fclose(f);  // before the buffer goes
        f = nullptr;
    }
};

bool is_object_tag(int c) {
    return c == item_tag(TEXT_ITEM) || c == item_tag(PARTLIB_ITEM) || c == item_tag(POWER_ITEM) ||
           c == item_tag(NOCON_ITEM) || c == item_tag(SUBSHEET_ITEM);
}

void append_name(List* list, const char* name, int32_t kind) {
    NameRec* rec = new_NameRec();
    if (!rec) no_memory();
    rec->kind = kind;
    rec->name = str_dup(name);
    if (!rec->name || !dlist_append(list, rec)) no_memory();
}

int free_name_cb(void* rec) {
    free_NameRec(static_cast<NameRec*>(rec), false);
    return 0;
}

int free_head_cb(void* head) {
    free_Ident(static_cast<SchItem*>(head), false);
    return 0;
}

struct ObjectReader {
    NetContext* context;
    Schema* schema;
    int mode;
    bool subsheet;
    const std::string& origin;  // base name of the net file
    List* project;
    // The objects read that a member may name, (id, item) in list order,
    // kept only when the sheet had no items before: then they are all the
    // members can name, and the reading of the nets needs no walk of its own.
    ObjectIds ids;
    bool all_items = false;
    std::vector<SchItem*>* kept;  // not owned: every object read, in list order, or none

    // Reads the objects that follow; 0 at the first byte that starts none.
    int read(FILE* stream) {
        all_items = !context->sheet || !context->sheet->items || !context->sheet->items->count;
        for (;;) {
            int c = peek_byte(stream);
            if (c == EOF) return NOT_A_NET_FILE;
            if (!is_object_tag(c)) return 0;
            SchItem* item = nullptr;
            int r = read_SchItem(schema, &item, stream);
            if (r != 0) {
                free_SchItem(schema, item, false);
                return r < 0 ? NOT_A_NET_FILE : r;
            }
            note(item);
            if (!context->sheet) {
                context->sheet = new_Sheet();
                if (!context->sheet) no_memory();
                if (!schema->sheet) schema->sheet = context->sheet;
            }
            if (!dlist_append(context->sheet->items, item)) no_memory();
            if (all_items && item->id && item->type != PSEUDO_PIN) ids.emplace_back(item->id, item);
            if (kept) kept->push_back(item);
        }
    }
    // What read_net_nets may take for the sheet's items, else null.
    const ObjectIds* objects() const { return all_items ? &ids : nullptr; }

    void note(SchItem* item) {
        switch (item->type) {
            case TEXT_ITEM:
                if (mode == LINK_HIERARCHY) add_proj_names(project, as_Text(item)->string.c_str());
                break;
            case PARTLIB_ITEM: {
                PlacedPart* pl = as_PlacedPart(item);
                if (subsheet)
                    net_debug("Part %s  %s\n", pl->reference.text.get(), pl->value.text.get());
                if (subsheet || mode == LINK_HIERARCHY) pl->origin = origin;
                break;
            }
            case SUBSHEET_ITEM: {
                SubSheet* box = as_SubSheet(item);
                box->link_number = context->subsheet_counter;
                if (mode == LINK_HIERARCHY) {
                    ++context->subsheet_counter;
                    box->origin = origin;
                    // The name as the box gives it, folders and all: the
                    // compile job wrote the net file beside the sheet it
                    // found under that name.
                    append_name(project, box->file_name.c_str(), box->link_number);
                }
                break;
            }
            default: break;
        }
    }
};

// Reads a net file's library into a temporary one and places its parts in
// the schema's own library (their pins keep their ids for the members).
int import_subsheet_library(Schema* schema, FILE* stream) {
    Library* library = new_Library();
    Library* current = current_library();
    int r = read_Library(library, stream, false);
    bool placed = r == 0 && import_net_library(schema, library);
    set_current_library(current);
    free_Library(library);
    return placed ? 0 : NOT_A_NET_FILE;
}

int check_file_tag(FILE* stream) {
    uint8_t tag = 0;
    return read_byte(&tag, stream) == 0 && tag == NET_FILE_TAG ? 0 : NOT_A_NET_FILE;
}

// Forgets what a sub-sheet that failed to load had read: its nets, items
// and ports take no part in the link.
void discard_loaded(NetContext* context, Schema* schema) {
    if (context->subsheet_islands) {
        dlist_free(context->subsheet_islands, LIST_FROM_HEAD, free_head_cb);
        context->subsheet_islands = nullptr;
    }
    free_Sheet(schema, context->loaded_sheet, false);
    context->loaded_sheet = nullptr;
    if (context->loaded_ports) {
        for (Port* port : list_items<Port>(context->loaded_ports)) free_Port(port, false);
        dlist_free(context->loaded_ports, LIST_FROM_HEAD, nullptr);
        context->loaded_ports = nullptr;
    }
}

void move_all(List** dest, List* src) {
    if (!src || !src->count) return;
    if (!*dest && !(*dest = list_new())) no_memory();
    dlist_concat(*dest, src, nullptr);
}

// The one spelling of a net file's place: a name relative to the current
// directory ("./amp", "../common/amp") and one in the project directory
// ("amp") that reach one file are one file.
std::string file_key(const std::string& file) { return file_identity(file.c_str()); }

// A net file written before its sheet was last saved holds nets the sheet
// may no longer have (a net compile stopped before it reached the sheet):
// linked, it would put them into the netlist. Named, it is not read.
bool stale_net_file(const std::string& file, const char* name) {
    std::string sheet = make_kind_file_name(name, KIND_SCHEMA, 1);
    if (!file_older_than(file.c_str(), sheet.c_str())) return false;
    net_warningf("*** Error : Sheet '%s' not linked: its net file '%s' is older than the sheet\n",
                 name, file.c_str());
    return true;
}

int read_subsheet_file(NetContext* context, Schema* schema, FILE* stream, int mode,
                       const std::string& origin, List* project) {
    if (int r = check_file_tag(stream); r != 0) return r;
    if (int r = import_subsheet_library(schema, stream); r != 0) return r;
    ObjectReader objects{context, schema, mode, true, origin, project, {}, false, nullptr};
    if (int r = objects.read(stream); r != 0) return r;
    if (int r = read_net_ports(context, stream, mode, origin.c_str()); r != 0)
        return r < 0 ? NOT_A_NET_FILE : r;
    if (context->subsheet_islands) dlist_free(context->subsheet_islands, LIST_FROM_HEAD, nullptr);
    context->subsheet_islands = nullptr;
    return read_net_nets(context, &context->subsheet_islands, stream, schema->library,
                         objects.objects());
}

// A sheet's records are numbered by the run that saved it, from 1: sheets
// saved by different runs share ids. Once a sub-sheet's members point at
// their records, its records take fresh ids, above every id read so far, so
// that the linked sheet (written as one net file) names each by its own.
void renew_loaded_ids(NetContext* context) {
    for (SchItem* item : list_items<SchItem>(context->loaded_sheet->items)) {
        item->id = new_object_id();
        if (item->type == SUBSHEET_ITEM)
            for (Port* port : list_items<Port>(as_SubSheet(item)->ports))
                port->id = new_object_id();
    }
    for (Port* port : list_items<Port>(context->loaded_ports)) port->id = new_object_id();
}

// The sheets still to link below the files on the path from the root: each
// file keeps its list of names and where it stands in it. The walk is
// depth first, in list order, as a recursion would take it, but on the heap:
// a hierarchy of any depth costs no stack.
class LinkWalk {
public:
    LinkWalk(NetContext* context, Schema* schema) : context_(context), schema_(schema) {}
    ~LinkWalk() {
        while (!path_.empty()) leave();
    }
    LinkWalk(const LinkWalk&) = delete;
    LinkWalk& operator=(const LinkWalk&) = delete;

    // Puts a file read in link mode on the path with the sheets it names
    // ("./" and "../" in them from the folder of the file's sheet); takes
    // the list.
    void enter(const std::string& file, const std::string& key, List* project) {
        for (NameRec* rec : list_items<NameRec>(project)) {
            std::string held = name_from_holder(rec->name, file.c_str());
            if (rec->name && held != rec->name) {
                std::free(rec->name);
                rec->name = str_dup(held.c_str());
                if (!rec->name) no_memory();
            }
        }
        enter_list(key, project);
    }
    // The same for a list as it is; with an empty key it is on no path.
    void enter_list(const std::string& key, List* project) {
        if (!key.empty()) context_->link_path.insert(key);
        path_.push_back({key, project, project ? project->head : nullptr});
    }
    // Links every sheet below what was entered: 0, or PARTIAL_LINK when one
    // of them failed.
    int run() {
        int result = 0;
        while (!path_.empty()) {
            Step& step = path_.back();
            if (!step.next) {
                leave();
                continue;
            }
            const NameRec* rec = static_cast<const NameRec*>(step.next->data);
            step.next = step.next->next;
            if (rec->kind != -1) context_->current_subsheet = rec->kind;
            std::string name = rec->name ? rec->name : "";
            name.resize(find_suffix(name.c_str()));
            if (read_sheet(name.c_str(), LINK_HIERARCHY) != 0) result = PARTIAL_LINK;
        }
        return result;
    }
    // Reads one sub-sheet's net file and merges its nets; in link mode the
    // file then goes on the path with the sheets it names.
    int read_sheet(const char* name, int mode);

private:
    struct Step {
        std::string key;  // the file's, on the path while its sheets are linked
        List* project;    // owned
        ListNode* next;   // the next of its sheets to link
    };
    void leave() {
        Step& step = path_.back();
        if (!step.key.empty()) context_->link_path.erase(step.key);
        if (step.project) dlist_free(step.project, LIST_FROM_HEAD, free_name_cb);
        path_.pop_back();
    }
    NetContext* context_;
    Schema* schema_;
    std::vector<Step> path_;
};

// Once a file is read: it counts as linked; in link mode the sheets it
// names are linked below it (the file stays on the path meanwhile, so that
// none of them leads back to it); else its project list is freed.
void note_linked(NetContext* context, LinkWalk* walk, const std::string& file, int mode,
                 List* project) {
    std::string key = file_key(file);
    context->linked_files.insert(key);
    if (mode == LINK_HIERARCHY)
        walk->enter(file, key, project);
    else
        dlist_free(project, LIST_FROM_HEAD, free_name_cb);
}

int LinkWalk::read_sheet(const char* name, int mode) {
    NetContext* context = context_;
    Schema* schema = schema_;
    std::string file = make_kind_file_name(name ? name : "", NET_FILE_KIND, 1);
    std::string key = file_key(file);
    if (context->link_path.count(key)) {
        net_warningf("*** Error : Sheet '%s' uses itself, it is not linked again\n", name);
        return PARTIAL_LINK;
    }
    if (context->linked_files.count(key))
        net_warningf("*** Warning : Sheet '%s' is used more than once in the hierarchy\n", name);
    if (mode == LINK_HIERARCHY && stale_net_file(file, name ? name : "")) return NOT_OPENED;
    NetFileIn in(file);
    if (!in.f) {
        net_warningf("*** Error : Sheet '%s' not linked: its net file '%s' cannot be read\n", name,
                     file.c_str());
        return NOT_OPENED;
    }
    discard_loaded(context, schema);
    context->loaded_sheet = new_Sheet();
    context->loaded_ports = list_new();
    if (!context->loaded_sheet || !context->loaded_ports) no_memory();
    context->sheet = context->loaded_sheet;
    context->ports = context->loaded_ports;
    std::string origin = base_name(file.c_str());
    List* project = new_list_or_die();
    if (int r = read_subsheet_file(context, schema, in.f, mode, origin, project); r != 0) {
        net_warningf("*** Error : Sheet '%s' not linked: its net file '%s' is damaged (Code %d)\n",
                     name, file.c_str(), r);
        discard_loaded(context, schema);
        dlist_free(project, LIST_FROM_HEAD, free_name_cb);
        return r;
    }
    renew_loaded_ids(context);
    merge_nets_by_name(context, schema);
    in.close();
    note_linked(context, this, file, mode, project);
    return 0;
}

// The linked nets by name, kept from one sub-sheet to the next while
// link_netlist runs: each net is indexed once, not every net linked so far
// once per sheet (a link of many sheets would grow with their square).
// Heads are found in list order by the number each got as it was indexed
// (the list only loses merged heads and gains loaded ones at its end).
class LinkNames {
public:
    explicit LinkNames(NetContext* context) : context_(context) {}
    const NetContext* context() const { return context_; }

    // Takes the heads the islands gained since the last call (at the first,
    // all of them) with their visited marks cleared, as a merge over the
    // whole list would find them.
    void catch_up(List* islands) {
        if (!built_) {
            for (Ident* head : list_items<Ident>(islands)) {
                head->state &= ~uint32_t{NET_VISITED};
                add(head);
            }
            built_ = true;
        }
        for (Ident* head : pending_) {
            head->state &= ~uint32_t{NET_VISITED};
            add(head);
        }
        pending_.clear();
    }
    // A loaded head appended to the islands: a candidate from the next sheet
    // on (the nets of one sheet are never merged with each other).
    void appended(Ident* head) { pending_.push_back(head); }
    // A head holding a name, with its place in the list.
    struct Found {
        Ident* head;
        uint32_t place;
        bool operator==(const Found& other) const { return head == other.head; }
    };
    // The live heads holding one of the sub's names, in list order.
    void sharing(const Ident* sub, std::vector<Found>& out) const {
        out.clear();
        for (NameRec* rec : list_items<NameRec>(sub->names)) {
            const uint32_t* first = rec->name ? by_name_.find(rec->name) : nullptr;
            for (uint32_t at = first ? *first : NONE; at != NONE; at = holders_[at].next) {
                const Holder& holder = holders_[at];
                if (!merged_.find(holder.head) && !(holder.head->state & NET_VISITED))
                    out.push_back({holder.head, holder.place});
            }
        }
        std::sort(out.begin(), out.end(),
                  [](const Found& a, const Found& b) { return a.place < b.place; });
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
    void merged(Ident* head) { merged_.insert(head, 0); }
    // The target of a merge under the names it took (those past `had`).
    void took_names(const Found& target, size_t had) {
        size_t i = 0;
        for (NameRec* rec : list_items<NameRec>(target.head->names))
            if (i++ >= had && rec->name) hold(rec->name, target);
    }

private:
    static constexpr uint32_t NONE = UINT32_MAX;
    struct Holder {
        Ident* head;
        uint32_t place;
        uint32_t next;  // the next holder of the same name, NONE at the end
    };
    NetContext* context_;
    bool built_ = false;
    uint32_t places_ = 0;  // heads indexed so far
    std::vector<Ident*> pending_;
    FlatIndex<std::string_view, NoCaseHash, NoCaseEqual> by_name_;  // first holder
    std::vector<Holder> holders_;
    FlatIndex<const Ident*> merged_;
    NameArena keys_;  // copies: a merge frees the names its target already has

    void add(Ident* head) {
        Found found{head, places_++};
        for (NameRec* rec : list_items<NameRec>(head->names))
            if (rec->name) hold(rec->name, found);
    }
    void hold(const char* name, const Found& found) {
        uint32_t at = static_cast<uint32_t>(holders_.size());
        std::string_view copy = keys_.keep(name);
        auto [first, made] = by_name_.insert_slot(copy, at);
        uint32_t next = NONE;
        if (!made) {
            next = *first;
            *first = at;
            keys_.drop_last(copy);  // the table holds a copy already
        }
        holders_.push_back({found.head, found.place, next});
    }
};

LinkNames* link_names = nullptr;  // the running link's, null outside one

}  // namespace

void add_proj_names(List* list, const char* text) {
    if (!list || !text || std::strlen(text) < 6) return;
    static const char key[] = "&PROJ:";
    for (int i = 0; i < 6; ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != key[i]) return;
    std::string piece;
    for (const char* p = text + 6;; ++p) {
        if (*p == ',' || *p == '\0') {
            if (!piece.empty()) append_name(list, piece.c_str(), -1);
            piece.clear();
            if (*p == '\0') break;
        } else if (!std::isspace(static_cast<unsigned char>(*p))) {
            piece += *p;
        }
    }
}

int link_subsheets(NetContext* context, Schema* schema, List* list) {
    LinkWalk walk(context, schema);
    walk.enter_list("", list);
    return walk.run();
}

int load_subsheet_nets(NetContext* context, Schema* schema, const char* name, int mode) {
    LinkWalk walk(context, schema);
    int result = walk.read_sheet(name, mode);
    int below = walk.run();
    return result != 0 ? result : below;
}

void merge_nets_by_name(NetContext* context, Schema* schema) {
    if (!context->islands && !(context->islands = list_new())) no_memory();
    // The running link keeps its index of the linked nets from one sheet to
    // the next; a call of its own indexes the islands as they are.
    LinkNames own(context);
    LinkNames* names = link_names && link_names->context() == context ? link_names : &own;
    names->catch_up(context->islands);
    std::vector<Ident*> loaded;
    for (Ident* head : list_items<Ident>(context->subsheet_islands)) loaded.push_back(head);
    std::vector<LinkNames::Found> sharing;
    for (Ident* sub : loaded) {
        names->sharing(sub, sharing);
        if (sharing.empty()) {
            sub->state |= NET_VISITED;
            if (!dlist_append(context->islands, sub)) no_memory();
            names->appended(sub);
            continue;
        }
        if (!new_merge_set(context)) no_memory();
        for (const LinkNames::Found& found : sharing) {
            found.head->state |= IDENT_MERGE_SET;
            if (!dlist_append(context->merge_set, found.head)) no_memory();
        }
        sub->state &= ~uint32_t{IDENT_MERGE_SET};
        if (!dlist_append(context->merge_set, sub)) no_memory();
        Ident* target = sharing.front().head;
        size_t had = target->names ? target->names->count : 0;
        merge_islands(context);
        target->state &= ~uint32_t{IDENT_MERGE_SET};
        for (size_t i = 1; i < sharing.size(); ++i) names->merged(sharing[i].head);
        names->took_names(sharing.front(), had);  // found by them from now on
    }
    // The heads left over now live in the islands list.
    if (context->subsheet_islands) dlist_free(context->subsheet_islands, LIST_FROM_HEAD, nullptr);
    context->subsheet_islands = nullptr;
    if (context->loaded_sheet) {
        if (!schema->current) schema->current = schema->sheet;
        if (schema->current)
            dlist_concat(schema->current->items, context->loaded_sheet->items, nullptr);
    }
    move_all(&schema->ports, context->loaded_ports);
}

int link_netlist(NetContext* context, Schema* schema, const char* root_name, int mode,
                 LinkedObjects* read) {
    if (read) *read = LinkedObjects{};
    LinkNames names(context);
    struct Running {
        LinkNames* outer;
        explicit Running(LinkNames* names) : outer(std::exchange(link_names, names)) {}
        ~Running() { link_names = outer; }
    } running(&names);
    context->subsheet_counter = 0;
    context->current_subsheet = -1;
    context->link_path.clear();
    context->linked_files.clear();
    std::string file = make_kind_file_name(root_name ? root_name : "", NET_FILE_KIND, 1);
    if (mode == LINK_HIERARCHY && stale_net_file(file, root_name ? root_name : ""))
        return PARTIAL_LINK;
    NetFileIn in(file);
    if (!in.f) return NOT_OPENED;
    context->sheet = schema->current ? schema->current : schema->sheet;
    context->ports = schema->ports;
    if (int r = check_file_tag(in.f); r != 0) return r;
    std::string origin = base_name(file.c_str());
    List* project = new_list_or_die();
    auto fail = [&](int r) {
        dlist_free(project, LIST_FROM_HEAD, free_name_cb);
        schema->current = context->sheet;
        schema->ports = context->ports;
        return r < 0 ? NOT_A_NET_FILE : r;
    };
    free_Library(schema->library);
    schema->library = new_Library();
    if (int r = read_Library(schema->library, in.f, false); r != 0) return fail(r);
    std::vector<SchItem*>* kept = read ? &read->items : nullptr;
    ObjectReader objects{context, schema, mode, false, origin, project, {}, false, kept};
    if (int r = objects.read(in.f); r != 0) return fail(r);
    if (!context->ports && !(context->ports = list_new())) no_memory();
    if (int r = read_net_ports(context, in.f, mode, origin.c_str()); r != 0) return fail(r);
    if (context->islands) dlist_free(context->islands, LIST_FROM_HEAD, free_head_cb);
    context->islands = nullptr;
    if (!context->sheet) return fail(NOT_A_NET_FILE);
    if (int r = read_net_nets(context, &context->islands, in.f, schema->library, objects.objects());
        r != 0)
        return fail(r);
    schema->current = context->sheet;
    schema->ports = context->ports;
    in.close();
    // The sheet as the root's file left it: a sub-sheet linked in adds its
    // objects after it.
    const Sheet* root_sheet = context->sheet;
    const uint32_t root_count = context->sheet->items ? context->sheet->items->count : 0;
    const ListNode* root_tail = context->sheet->items ? context->sheet->items->tail : nullptr;
    LinkWalk walk(context, schema);
    note_linked(context, &walk, file, mode, project);
    int r = walk.run();
    // The writers work on the linked sheet, not on the last one loaded.
    context->sheet = schema->current;
    context->ports = schema->ports;
    if (read && objects.objects() && r == 0 && context->sheet == root_sheet &&
        context->sheet->items && context->sheet->items->count == root_count &&
        context->sheet->items->tail == root_tail)
        read->sheet = context->sheet;
    else if (read)
        read->items.clear();
    return r;
}
