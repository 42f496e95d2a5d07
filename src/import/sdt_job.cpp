// The schematic import job and its hierarchy walk (see sdt_job.h).
#include "import/sdt_job.h"

#include <strings.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/app_utils.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "import/genwind.h"
#include "model/documents/document.h"
#include "model/items/library.h"

std::vector<std::unique_ptr<ForeignFile>> loaded_files;

namespace {

constexpr int KIND_FOREIGN_SCHEMATIC = 13;

struct JobState {
    ImportReport report = nullptr;
    bool descend = false;
    bool quiet = true;
    // The inputs converted by the running job, by their output's name
    // (folded to lower case, full path): two sheets of one base name in two
    // folders would be written to one file.
    std::map<std::string, std::string> outputs;
    // The inputs of loaded_files as sdt_same_file compares them, indexed
    // as the list grows (a sub-sheet is looked up here, not in the list).
    std::set<std::string> loaded_inputs;
    size_t loaded_indexed = 0;
};
JobState job;

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A name as sdt_same_file compares it: the system path made absolute and
// normalised, folded to lower case.
std::string same_file_key(const std::string& name) {
    std::error_code ec;
    auto path = std::filesystem::absolute(system_path(name.c_str()), ec);
    return lower(path.lexically_normal().string());
}

// The native schema name of an input: its base name without suffix, in
// the project directory.
std::string output_name(const std::string& input) {
    std::string base = path_base_name(input.c_str());
    change_suffix(base, "", 0);
    return make_kind_file_name(base.c_str(), KIND_SCHEMA, 2);
}

// The file's records are read; it joins loaded_files and is converted.
// *converted gets it when that succeeded and the job descends: its
// sub-sheets are then to be walked.
int convert_loaded(std::unique_ptr<ForeignFile> owned, const std::string& output, List* written,
                   ForeignFile** converted) {
    ForeignFile* file = owned.get();
    std::error_code ec;
    const std::string key =
        lower(std::filesystem::absolute(system_path(output.c_str()), ec).lexically_normal());
    auto [earlier, first] = job.outputs.emplace(key, file->input);
    if (!first && !sdt_same_file(earlier->second, file->input)) {
        sdt_log("*** WARNING ***: '%s' and '%s' would both be converted into '%s'\n",
                earlier->second.c_str(), file->input.c_str(), output.c_str());
        return -1;
    }
    loaded_files.push_back(std::move(owned));
    int result = genwind_convert_file(file, output.c_str(), written);
    if (!job.quiet) sdt_log("Done\n");
    if (result == 0 && job.descend) *converted = file;
    return result;
}

bool read_failed(const ForeignFile* file, const ForeignInput& input) {
    sdt_log("*** WARNING ***: Read error in '%s': %s\n", file->input.c_str(), input.error.c_str());
    return true;
}

bool starts_link(const std::string& text) { return strncasecmp(text.c_str(), "|LINK", 5) == 0; }

// Takes out of the list (freeing them) the names after `last` (all of them
// when it is null): sheets the job did not put in place.
void drop_names_after(List* names, DListNode* last) {
    auto free_name = [](void* name) {
        std::free(name);
        return 0;
    };
    while (names && dlist_tail(names) && dlist_tail(names) != last)
        dlist_remove_tail(names, free_name);
}

// The sub-sheet files a sheet names, in record order: its sheet symbols'
// file names and, in link mode, the names of its "|name" texts.
std::vector<std::string> named_sheets(const ForeignFile* file, uint8_t text_type, size_t text_at,
                                      uint8_t sheet_type,
                                      size_t (*file_name_at)(const ForeignObject*)) {
    bool link_mode = false;
    for (const auto& object : file->objects) {
        std::string text;
        if (object->type == text_type && pstring_get(object.get(), text_at, 0, &text) &&
            starts_link(text))
            link_mode = true;
    }
    std::vector<std::string> names;
    for (const auto& object : file->objects) {
        std::string name;
        if (object->type == sheet_type) {
            pstring_get(object.get(), file_name_at(object.get()), 0, &name);
        } else if (link_mode && object->type == text_type &&
                   pstring_get(object.get(), text_at, 0, &name) && name[0] == '|' &&
                   !starts_link(name)) {
            name.erase(0, name.find_first_not_of(' ', 1));
        } else {
            continue;
        }
        if (name.empty() || name == "|") continue;
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> named_sheets(const ForeignFile* file, bool sixteen) {
    if (sixteen)
        return named_sheets(file, SDT16_TEXT, SDT16_HEAD + 6, SDT16_SHEET,
                            [](const ForeignObject*) -> size_t { return SDT16_HEAD + 13; });
    return named_sheets(file, SDT32_TEXT, 14, SDT32_SHEET, [](const ForeignObject* o) -> size_t {
        return 28 + size_t{fo_u32(o, 20)};
    });
}

// Logs the question and answers whether a file of that input path was
// loaded by this job already.
bool already_converted(const char* name, const std::string& input) {
    if (!job.quiet) sdt_log("Sub Sheet %s:", name);
    if (loaded_files.size() < job.loaded_indexed) {  // the list was cleared
        job.loaded_inputs.clear();
        job.loaded_indexed = 0;
    }
    for (; job.loaded_indexed < loaded_files.size(); ++job.loaded_indexed)
        job.loaded_inputs.insert(same_file_key(loaded_files[job.loaded_indexed]->input));
    if (job.loaded_inputs.count(same_file_key(input))) {
        if (!job.quiet) sdt_log(" Already converted\n");
        return true;
    }
    if (!job.quiet) sdt_log(" Need to be converted\n");
    return false;
}

// The loaders of one file, without its sub-sheets (sdt_job.h says the
// rest): *converted gets the file when its sub-sheets are to be walked.
int load32(const char* name, bool descend, bool quiet, List* written, ForeignFile** converted);
int load16(const char* name, List* written, bool descend, bool quiet, ForeignFile** converted);

// A sub-sheet named by a sheet, loaded unless it was already: a 32-bit
// sheet's names are completed as the job's input was, a 16-bit sheet's
// relative names are files beside it (`parent`).
int load_subsheet32(const char* name, List* written, ForeignFile** converted) {
    const std::string input = make_kind_file_name(name, KIND_FOREIGN_SCHEMATIC, 1);
    if (already_converted(name, input)) return 0;
    return load32(name, job.descend, job.quiet, written, converted);
}

int load_subsheet16(const ForeignFile* parent, const char* name, List* written,
                    ForeignFile** converted) {
    std::string input = name;
    const bool absolute = name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':');
    if (!absolute) input = dir_of(parent->name.c_str()) + input;
    if (already_converted(name, input)) return 0;
    return load16(input.c_str(), written, job.descend, job.quiet, converted);
}

// Converts the hierarchy below a converted file, depth first in record
// order, as a recursion would, but with the files still to visit kept on
// the heap: a hierarchy of any depth takes no stack per level. 0, or the
// first failure, which ends the walk.
// `sixteen`: the format the top file's records are read in.
int walk_below(ForeignFile* top, bool sixteen, List* written) {
    struct Step {
        const ForeignFile* file;  // held by loaded_files
        bool sixteen;
        std::vector<std::string> names;
        size_t next = 0;
    };
    std::vector<Step> path;
    path.push_back({top, sixteen, named_sheets(top, sixteen)});
    while (!path.empty()) {
        Step& step = path.back();
        if (step.next == step.names.size()) {
            path.pop_back();
            continue;
        }
        const std::string name = step.names[step.next++];
        ForeignFile* converted = nullptr;
        int result = step.sixteen ? load_subsheet16(step.file, name.c_str(), written, &converted)
                                  : load_subsheet32(name.c_str(), written, &converted);
        if (result != 0) return result;
        if (converted)
            path.push_back(
                {converted, converted->sixteen, named_sheets(converted, converted->sixteen)});
    }
    return 0;
}

int load32(const char* name, bool descend, bool quiet, List* written, ForeignFile** converted) {
    const std::string input = make_kind_file_name(name, KIND_FOREIGN_SCHEMATIC, 1);
    const std::string output = output_name(input);
    job.descend = descend;
    job.quiet = quiet;
    auto file = std::make_unique<ForeignFile>();
    file->name = output;
    file->input = system_path(input.c_str());
    if (!quiet) sdt_log("Loading file %s...\n", input.c_str());
    ForeignInput in;
    if (!foreign_input_open(&in, file->input)) return -1;
    const int read = sdt32_read_file(file.get(), &in);
    if (read == 1) return load16(input.c_str(), written, descend, quiet, converted);
    sdt_log("Input is an OrCad SDT386 file\n");
    if (read != 0 && read_failed(file.get(), in)) return -1;
    return convert_loaded(std::move(file), output, written, converted);
}

int load16(const char* name, List* written, bool descend, bool quiet, ForeignFile** converted) {
    const std::string output = output_name(name);
    job.descend = descend;
    job.quiet = quiet;
    auto file = std::make_unique<ForeignFile>();
    file->name = name;
    file->input = system_path(name);
    if (!quiet) sdt_log("Loading file %s...\n", name);
    ForeignInput in;
    if (!foreign_input_open(&in, file->input)) return -1;
    const int read = sdt16_read_file(file.get(), &in);
    if (read == 1) return -1;
    sdt_log("Input is an OrCad SDT IV file\n");
    if (read != 0 && read_failed(file.get(), in)) return -1;
    return convert_loaded(std::move(file), output, written, converted);
}

// A file loaded by `load` (one of the loaders above, given where to put
// the file), then the hierarchy below it.
template <class Load>
int load_and_walk(Load load, List* written) {
    ForeignFile* converted = nullptr;
    if (int loaded = load(&converted); loaded != 0 || !converted) return loaded;
    return walk_below(converted, converted->sixteen, written);
}

}  // namespace

bool sdt_same_file(const std::string& a, const std::string& b) {
    return same_file_key(a) == same_file_key(b);
}

void sdt_log(const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (job.report)
        job.report("%s", text);
    else
        log_printf("%s", text);
}

int sdt32_load(const char* name, bool descend, bool quiet, List* written) {
    return load_and_walk(
        [&](ForeignFile** converted) { return load32(name, descend, quiet, written, converted); },
        written);
}

int sdt16_load(const char* name, List* written, bool descend, bool quiet) {
    return load_and_walk(
        [&](ForeignFile** converted) { return load16(name, written, descend, quiet, converted); },
        written);
}

int sdt32_convert_subsheet(const char* name, List* written) {
    return load_and_walk(
        [&](ForeignFile** converted) { return load_subsheet32(name, written, converted); },
        written);
}

int sdt16_convert_subsheet(ForeignFile* parent, const char* name, List* written) {
    return load_and_walk(
        [&](ForeignFile** converted) { return load_subsheet16(parent, name, written, converted); },
        written);
}

int sdt32_walk_hierarchy(ForeignFile* file, List* written) {
    return walk_below(file, false, written);
}

int sdt16_walk_hierarchy(ForeignFile* file, List* written) {
    return walk_below(file, true, written);
}

int convert_orcad_schematic(const char* file_name, ImportReport report, List* written) {
    const JobState saved_job = job;
    job.report = report;
    job.outputs.clear();
    job.loaded_inputs.clear();
    job.loaded_indexed = 0;
    const std::string saved_library = strproper_get(SDT_LIBFILE);
    set_project_dir_override(file_name);
    std::string library = saved_library;
    if (library.empty()) {
        library = path_base_name(file_name);
        change_suffix(library, "", 0);
    }
    proper_set(SDT_LIBFILE, library.c_str(), 0);
    std::set<const Library*> open_before;
    if (lib_list)
        for (const Library* lib : list_items<Library>(lib_list->libraries)) open_before.insert(lib);
    const bool verbose = proper_get(SDT_VERBOSE) != 0;
    if (verbose) sdt_log("Converting OrCAD schematic file...\n");
    loaded_files.clear();
    // The sheets go into the project folder, which is the job's project: a
    // file there of another kind, or a link out of it to one that is not a
    // sheet, is never replaced. Until the job ends they wait beside their
    // names: a refused sheet puts none in place (a sheet that cannot be
    // converted leaves those converted before it).
    FolderSyncBatch sync(FolderSyncBatch::Commits::AT_END);
    ProjectWrites writes(output_name(file_name).c_str(), report ? report : log_printf);
    DListNode* listed = written ? dlist_tail(written) : nullptr;
    int result = sdt32_load(file_name, proper_get(SDT_HIER) == 0, !verbose, written);
    int placed = 0;
    if (result == FILE_NOT_WRITTEN)
        sync.discard();
    else
        placed = finish_saves(sync);
    if (result == FILE_NOT_WRITTEN || placed != 0) {
        if (result == 0) result = placed;
        drop_names_after(written, listed);
    }
    // Close only what the job's part look-ups opened.
    std::vector<std::string> opened;
    if (lib_list)
        for (const Library* lib : list_items<Library>(lib_list->libraries))
            if (!open_before.count(lib) && lib->file_name) opened.emplace_back(lib->file_name);
    for (const std::string& name : opened) library_close_file(name.c_str());
    loaded_files.clear();
    if (result == 0) {
        if (verbose) sdt_log("Conversion Done\n");
    } else {
        sdt_log("Conversion Aborted\n");
    }
    proper_set(SDT_LIBFILE, saved_library.c_str(), 0);
    clear_project_dir_override();
    job = saved_job;
    return result;
}

// --- open libraries by file name ---------------------------------------------------

namespace {

Library* open_library_named(const char* name) {
    if (!lib_list || !name) return nullptr;
    const std::string file = make_kind_file_name(name, KIND_LIBRARY, 1);
    for (Library* lib : list_items<Library>(lib_list->libraries))
        if (lib->file_name && strcasecmp(lib->file_name, file.c_str()) == 0) return lib;
    return nullptr;
}

}  // namespace

bool library_is_open(const char* name) { return open_library_named(name) != nullptr; }

void library_close_file(const char* name) {
    if (Library* lib = open_library_named(name)) {
        for (DListNode* node : dlist_nodes(lib_list->libraries)) {
            if (node->data == lib) {
                dlist_remove(lib_list->libraries, node, nullptr);
                break;
            }
        }
        free_Library(lib);
    }
    if (lib_list) sort_lib_list();
}
