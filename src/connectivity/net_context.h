#pragma once
// The working record of one net job (compile, link, format, electrical rule
// check) and the process-wide hooks every net job shares: the warning hook
// through which the builder's warnings reach the running job's print
// callback, and the editor-mode switch of the connectivity refresh.
//
// A job makes one NetContext with new_NetContext, hands it to the builder
// (net_build.h), the net-file reader and writer and the linker, and releases
// it with free_NetContext. Everything runs on the one GUI thread; the hooks
// are used by one job at a time.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

struct List;
struct NetTable;
struct Schema;
struct SchItem;
struct Sheet;

struct NetContext {
    List* islands = nullptr;           // owned Ident heads of the sheet built or linked
    int32_t subsheet_counter = 0;      // next number given to a sub-sheet met while linking
    int32_t current_subsheet = 0;      // sheet whose net file is read; -1 at the start of a link
    Sheet* sheet = nullptr;            // the sheet worked on; not owned (loaded_sheet excepted)
    List* ports = nullptr;             // port list in use; not owned (loaded_ports excepted)
    List* merge_set = nullptr;         // heads taken together by one merge; the list only is owned
    List* subsheet_islands = nullptr;  // heads of a sub-sheet being merged; the list only is owned
    Sheet* loaded_sheet = nullptr;     // owned: a sub-sheet's objects while linking
    List* loaded_ports = nullptr;      // owned: that sub-sheet's ports
    std::unordered_set<std::string> link_path;     // net files on the path being linked
    std::unordered_set<std::string> linked_files;  // every net file linked so far
    NetTable* table = nullptr;  // not owned: the tables of the build running, only during it
    // Owned: heads merged into other heads. Each keeps `prev` pointing at the
    // head it went into, so that a chain merged into it earlier still leads,
    // walking back, to the live head; they go with the next build or the
    // context.
    List* merged_heads = nullptr;
};

// A zeroed record; null when memory runs out (callers stop with no_memory).
NetContext* new_NetContext();
// Frees, in this order: the loaded sheet (with the schema, which may be
// null), its port list with its ports, the islands list with every head, the
// sub-sheet islands list and the merge set (the lists only), the merged
// heads, then the record. A null context is ignored.
void free_NetContext(Schema* schema, NetContext* context);

// --- warning hook ------------------------------------------------------------------
// The print callback of the running job (printf-style; null: no job).
using NetWarningHook = void (*)(const char* format, ...);
void set_net_warning_hook(NetWarningHook hook);
// Sets the hook for a job's run and clears it when the job ends, however it
// ends.
struct NetWarningHookScope {
    explicit NetWarningHookScope(NetWarningHook hook) { set_net_warning_hook(hook); }
    ~NetWarningHookScope() { set_net_warning_hook(nullptr); }
    NetWarningHookScope(const NetWarningHookScope&) = delete;
    NetWarningHookScope& operator=(const NetWarningHookScope&) = delete;
};
NetWarningHook net_warning_hook();
// Passes the text to the hook when one is set, else does nothing.
void net_warning(const char* text);
// Formats the warning and passes it on (nothing is formatted without a hook).
void net_warningf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A trace line on the debug output (shown only with -debug).
void net_debug(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The name of the ERC report being written, stored into the schemas the
// check analyses ("" when none).
void set_erc_report_name(const char* name);
const char* erc_report_name();

// --- editor mode -----------------------------------------------------------------------
// On only while the connectivity refresh runs (net_refresh.h): stub wires
// are then neither temporary nor open, chain joins do nothing, and
// overlapping collinear wires are fused in place.
bool net_editor_mode();
void set_net_editor_mode(bool on);
