#include "connectivity/annotate.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/heap.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/open_table.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/part.h"

bool anno_not_annotated = false;
bool anno_duplicates = false;

namespace {

constexpr uint32_t ALL_DEVICES = 0xFFFFFFFFu;

int device_count(Schema* schema, PlacedPart* part) {
    Part* library_part = pl_get_part(schema->library, part);
    return library_part && library_part->devices > 0 ? library_part->devices : 1;
}

// The device the reference text names: 0 for a one-device part, else its
// last letter; -1 when that is no device letter.
int device_from_reference(Schema* schema, PlacedPart* part, int count) {
    if (count <= 1) return 0;
    const char* text = pl_reference_text(schema->library, part);
    size_t n = std::strlen(text);
    int device = n ? text[n - 1] - 'A' : -1;
    return device >= 0 && device < 32 ? device : -1;
}

bool device_free(uint32_t mask, int device) {
    return device >= 0 && device < 32 && (mask & (1u << device)) == 0;
}

// Bits from the device count up to 31: devices the package does not have.
uint32_t absent_devices(int count) { return count >= 32 ? 0u : ALL_DEVICES << count; }

// The prefix (letters up to the first digit or '?') and whether the
// reference stopped at a '?'.
std::string prefix_of(const char* reference, bool* unannotated) {
    std::string prefix(std::strlen(reference) + 1, '\0');
    *unannotated = ref_prefix(reference, prefix.data());
    prefix.resize(std::strlen(prefix.c_str()));
    return prefix;
}

// The first run of decimal digits, -1 when there is none; a number too
// large for the engine saturates.
int first_number(const char* text) {
    while (*text && !std::isdigit(static_cast<unsigned char>(*text))) ++text;
    if (!*text) return -1;
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        value = std::min<long long>(value * 10 + (*text - '0'), INT_MAX / 2);
    return static_cast<int>(value);
}

AnnoPrefix& prefix_node(AnnoEngine* engine, const std::string& prefix) {
    AnnoPrefix& node = engine->prefixes[prefix];
    node.prefix = prefix;
    return node;
}

SubId& make_subid(AnnoPrefix& node, int number, const std::string& combine, int count) {
    SubId& id = node.packages[number];
    id.number = number;
    id.mask = absent_devices(count);
    id.combine = combine;
    if (id.mask != ALL_DEVICES) node.open_packages[combine].insert(number);
    debug_printf("Making a subId '%d' bits 0x%08x combine '%s'\n", number, id.mask,
                 combine.c_str());
    return id;
}

// Sets a device's bit; a package that becomes full leaves the open set,
// and the node's first available number moves past full packages.
void use_device(AnnoPrefix& node, SubId& id, int device) {
    id.mask |= 1u << device;
    if (id.mask == ALL_DEVICES) {
        auto open = node.open_packages.find(id.combine);
        if (open != node.open_packages.end()) open->second.erase(id.number);
    }
    for (;;) {
        auto it = node.packages.find(node.first_avail);
        if (it == node.packages.end() || it->second.mask != ALL_DEVICES) break;
        ++node.first_avail;
    }
}

// The first number at or after n that has no package.
int next_unused(AnnoPrefix& node, int n) {
    std::vector<int> path;
    int m = n;
    while (node.packages.count(m)) {
        path.push_back(m);
        auto jump = node.skip.find(m);
        m = jump != node.skip.end() && jump->second > m ? jump->second : m + 1;
    }
    for (int visited : path) node.skip[visited] = m;
    return m;
}

}  // namespace

// --- engine -------------------------------------------------------------------------------------

void anno_engine_init(AnnoEngine** engine) {
    anno_engine_free(*engine);
    *engine = new AnnoEngine;
}

void anno_engine_free(AnnoEngine* engine) { delete engine; }

void anno_engine_dump(const AnnoEngine* engine) {
    if (!engine || !debug_enabled) return;
    for (const auto& [prefix, node] : engine->prefixes) {
        debug_printf("Node '%s' -- First avail %d\n", prefix.c_str(), node.first_avail);
        // Packages in the order of their number texts.
        std::vector<std::pair<std::string, const SubId*>> ids;
        for (const auto& [number, id] : node.packages)
            ids.emplace_back(std::to_string(number), &id);
        std::sort(ids.begin(), ids.end());
        for (const auto& [text, id] : ids)
            debug_printf("\tSubid '%s' bits 0x%08x combine '%s'\n", text.c_str(), id->mask,
                         id->combine.c_str());
        debug_printf("\n");
    }
}

std::string anno_match_text() {
    std::string match = "V";
    int fields = static_cast<int>(proper_get(NB_FIELD_NAME));
    for (int i = 0; i < fields && i < 256; ++i)
        if (proper_get(ANNOTATE_FIELDS, i)) match += format_text(",f%d", i + 1);
    return match;
}

std::string anno_combine_text(PlacedPart* part, const std::string& match) {
    std::string text = part->value.text.get();
    // The match text is "V" and ",f<n>" pieces; each piece names field n.
    for (size_t at = match.find(",f"); at != std::string::npos; at = match.find(",f", at + 2)) {
        int field = std::atoi(match.c_str() + at + 2);
        const Attribute* attribute = field > 0 ? pl_get_attribute(part, field + 1) : nullptr;
        text += ",f";
        text += attribute ? attribute->text.get() : "NULL";
    }
    return text;
}

int anno_keep_reference(Schema* schema, AnnoEngine* engine, const std::string& match,
                        PlacedPart* part, JobPrint print) {
    const char* reference = part->reference.text.get();
    bool unannotated = false;
    std::string prefix = prefix_of(reference, &unannotated);
    int number = first_number(reference);
    if (unannotated || number < 0) return 0;
    int count = device_count(schema, part);
    std::string shown = pl_reference_text(schema->library, part);
    if (count > ANNO_MAX_DEVICES) {
        if (print) print("Part %s: too many devices\n", shown.c_str());
        return -1;
    }
    AnnoPrefix& node = prefix_node(engine, prefix);
    int device = device_from_reference(schema, part, count);
    std::string combine = anno_combine_text(part, match);
    auto it = node.packages.find(number);
    SubId* id = nullptr;
    if (it != node.packages.end()) {
        id = &it->second;
        if (id->combine != combine) {
            if (print) print("Part %s: bad combine value\n", shown.c_str());
            return -1;
        }
    } else {
        id = &make_subid(node, number, combine, count);
    }
    if (!device_free(id->mask, device)) {
        if (print) print("Part %s: device already used\n", shown.c_str());
        return -1;
    }
    use_device(node, *id, device);
    return 0;
}

int anno_assign_reference(Schema* schema, AnnoEngine* engine, const std::string& match,
                          PlacedPart* part) {
    const char* reference = part->reference.text.get();
    if (!std::strchr(reference, '?')) return 0;
    bool unannotated = false;
    std::string prefix = prefix_of(reference, &unannotated);
    if (!unannotated) return 0;  // digits before the '?': left as they are
    int count = device_count(schema, part);
    if (count > ANNO_MAX_DEVICES) return -1;
    AnnoPrefix& node = prefix_node(engine, prefix);
    int device = device_from_reference(schema, part, count);
    std::string combine = anno_combine_text(part, match);
    // The first number from the first available one that either has no
    // package yet or a package of this combine text with a free device.
    int n = node.first_avail;
    int unused = next_unused(node, n);
    int number = unused;
    auto open = node.open_packages.find(combine);
    if (open != node.open_packages.end()) {
        auto candidate = open->second.lower_bound(n);
        if (candidate != open->second.end() && *candidate < number) number = *candidate;
    }
    auto it = node.packages.find(number);
    SubId& id = it != node.packages.end() ? it->second : make_subid(node, number, combine, count);
    if (!device_free(id.mask, device)) {
        device = 0;
        while (!device_free(id.mask, device)) ++device;
    }
    use_device(node, id, device);
    std::string text(reference, std::strchr(reference, '?'));
    text += std::to_string(number);
    pl_set_reference(schema->library, part, text.c_str());  // drops the own pins
    part->device = device;
    return 0;
}

void anno_prepare_part(Schema* schema, bool uncond, bool keep, PlacedPart* part) {
    const char* reference = part->reference.text.get();
    bool unannotated = false;
    std::string prefix = prefix_of(reference, &unannotated);
    if (!unannotated && uncond) {
        std::string text = prefix + "?";
        debug_printf("part '%s', become '%s' device 0\n", reference, text.c_str());
        pl_set_reference(schema->library, part, text.c_str());
        part->device = 0;
    } else if (unannotated && !keep && part->device != 0) {
        debug_printf("part '%s', become device 0\n", reference);
        part->device = 0;
    }
}

// --- the job --------------------------------------------------------------------------------------

namespace {

template <class Fn>
void for_each_part(Schema* schema, Fn fn) {
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM) fn(as_PlacedPart(item));
}

}  // namespace

int annotate(JobPrint print, List* list, bool unannotate) {
    JobLog log(print, ANNO_VERBOSE);
    const std::string match = anno_match_text();
    log.progress("Starting Annotate using match string '%s'...\n", match.c_str());
    const bool uncond = proper_get(ANNO_UNCOND) != 0;
    const bool keep = proper_get(ANNO_KEEP) != 0;
    const std::string outfile = strproper_get(ANNO_OUTFILE);

    if (!uncond) log.progress("Keeping Old References\n");
    JobSheets sheets(annotation_owner(unannotate));
    if (int code = sheets.take(list, outfile.c_str(), log, "Loading schematic file '%s'...\n");
        code != 0)
        return code;
    AnnoEngine* engine = nullptr;
    anno_engine_init(&engine);
    if (!uncond) {
        int kept = 0;
        for (JobSheet& sheet : sheets.sheets())
            for_each_part(sheet.schema, [&](PlacedPart* part) {
                kept |= anno_keep_reference(sheet.schema, engine, match, part, log.print());
            });
        log.progress("Keeping Old References: Done\n");
        anno_engine_dump(engine);
        if (kept != 0) {
            anno_engine_free(engine);
            return kept;
        }
    }
    // Each save keeps the old file as ".BAK" itself when BAK_FILE is on:
    // one backup of the file as it was before the run.
    if (outfile.empty() && proper_get(BAK_FILE)) {
        log.progress("Backing files...\n");
        for (JobSheet& sheet : sheets.sheets())
            if (!sheet.in_place)
                log.progress("Backing schematic file '%s'...\n", sheet.file.c_str());
        log.progress("Backing files: Done\n");
    }
    log.progress("Annoting files...\n");
    for (JobSheet& sheet : sheets.sheets())
        for_each_part(sheet.schema, [&](PlacedPart* part) {
            anno_prepare_part(sheet.schema, uncond, keep, part);
            if (unannotate) return;
            if (int code = anno_assign_reference(sheet.schema, engine, match, part); code != 0) {
                warning("Internal Error %d", code);
                log.always("Part %s: too many devices\n", part->reference.text.get());
            }
        });
    int result = sheets.store_all(log, "Saving schematic file '%s'...\n",
                                  "Updating schematic file '%s'...\n");
    anno_engine_dump(engine);
    anno_engine_free(engine);
    if (result == 0) log.progress("Annotate: Done\n");
    return result;
}

// --- verification ---------------------------------------------------------------------------------

namespace {

// The references recorded so far with the number of the sheet that
// recorded each, in open addressing on the reference's text: a sheet of a
// million parts records a million, and a node and a copy of the sheet's
// name each (as a standard map of strings keeps them) cost an allocation
// and cache misses a part. Its tables are then megabytes each: they are
// the large tables' kind, in whole huge pages rather than page by page.
// Each slot keeps its reference's hash beside its number, so that a
// look-up reads a recorded reference's text only when the hashes agree,
// and the table grows without reading any: once the table outgrows the
// processor's cache, every text read is a wait on memory.
class ReferenceTable {
public:
    static constexpr uint32_t NONE = HashedSlot::NONE;
    // A reference with its hash, worked out once for its look-up and its
    // filing.
    struct Key {
        std::string_view text;
        uint32_t hash;
    };
    static Key key(std::string_view text) { return {text, text_hash(text)}; }
    // The number of the sheet that recorded the reference, or NONE.
    uint32_t find(Key key) const {
        if (!index_.has_slots()) return NONE;
        const uint32_t n = index_.number_at(locate(key));
        return n == NONE ? NONE : sheet_[n];
    }
    // Room for `more` references besides those recorded.
    void reserve(size_t more) { index_.reserve(more, 1024); }
    // Records a reference for the sheet, unless it is recorded already.
    void add(Key key, uint32_t sheet) {
        reserve(1);
        const size_t at = locate(key);
        if (index_.number_at(at) != NONE) return;
        index_.fill(at, static_cast<uint32_t>(sheet_.size()), key.hash);
        start_.push_back(static_cast<uint32_t>(text_.size()));
        text_.append(key.text);
        sheet_.push_back(sheet);
    }

private:
    std::string_view key_of(uint32_t n) const {
        uint32_t end = n + 1 < start_.size() ? start_[n + 1] : static_cast<uint32_t>(text_.size());
        return std::string_view(text_).substr(start_[n], end - start_[n]);
    }
    size_t locate(Key key) const {
        return index_.locate(key.hash, [&](uint32_t n) { return key_of(n) == key.text; });
    }

    std::string text_;             // the references, one after the other
    TableVector<uint32_t> start_;  // where each begins in text_
    TableVector<uint32_t> sheet_;  // the number of the sheet that recorded each
    HashedIndex<TableVector<HashedSlot>> index_;
};

}  // namespace

int check_annotation(List* list, JobPrint print, std::string* findings) {
    // Without a callback of its own the check reports to the running net
    // job's (the electrical rule check's), else to the log.
    JobLog log(print ? print : net_warning_hook(), ANNO_VERBOSE);
    auto finding = [&](const std::string& line) {
        log.always("%s", line.c_str());
        if (findings) *findings += line;
    };
    log.always("Annotation verifications ...\n");
    anno_not_annotated = false;
    anno_duplicates = false;
    // Reference (upper case) -> the sheet that recorded it first.
    ReferenceTable seen;
    std::vector<const char*> files;
    for (const char* file : list_items<const char>(list)) {
        files.push_back(file);
        Schema* schema = nullptr;
        log.always("Loading schematic file '%s'...\n", file);
        if (int code = load_schema_file(&schema, file); code != 0) {
            close_schema(nullptr, &schema);
            return code;
        }
        // The sheet's references not recorded by an earlier sheet, one
        // after the other in `texts`, each with its hash.
        std::string texts;
        TableVector<std::pair<uint32_t, uint32_t>> references;  // its end in texts, its hash
        bool complete = true;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            PlacedPart* part = as_PlacedPart(item);
            if (std::strchr(part->reference.text.get(), '?')) {
                anno_not_annotated = true;
                finding(format_text("Warning:  '%s' is not (or partialy) annotated\n", file));
                complete = false;
                break;
            }
            // The device letter is part of the reference: U1A and U1B differ.
            std::string reference = pl_reference_text(schema->library, part);
            std::string key = reference;
            for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const ReferenceTable::Key looked_up = ReferenceTable::key(key);
            uint32_t earlier = seen.find(looked_up);
            if (earlier != ReferenceTable::NONE) {
                anno_duplicates = true;
                finding(format_text("Warning:  '%s' in '%s' already appears in'%s'\n",
                                    reference.c_str(), file, files[earlier]));
            } else {
                texts += key;
                references.emplace_back(static_cast<uint32_t>(texts.size()), looked_up.hash);
            }
        }
        // A reference twice on one sheet is recorded once, by its first.
        if (complete) {
            seen.reserve(references.size());
            uint32_t from = 0;
            for (auto [end, hash] : references) {
                seen.add({std::string_view(texts).substr(from, end - from), hash},
                         static_cast<uint32_t>(files.size() - 1));
                from = end;
            }
        }
        close_schema(nullptr, &schema);
    }
    return 0;
}
