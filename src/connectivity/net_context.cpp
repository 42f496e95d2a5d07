// The net job's working record and the hooks net jobs share.
#include "connectivity/net_context.h"

#include <cstdarg>
#include <cstdio>
#include <new>
#include <string>

#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/ident.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"

namespace {

// The running job's warning hook and report name, and the editor-mode flag.
struct JobHooks {
    NetWarningHook warning_hook = nullptr;
    std::string report_name;
    bool editor_mode = false;
} job_hooks;

int free_head_cb(void* head) {
    free_Ident(static_cast<SchItem*>(head), false);
    return 0;
}

int free_port_cb(void* port) {
    free_Port(static_cast<Port*>(port), false);
    return 0;
}

}  // namespace

NetContext* new_NetContext() { return new (std::nothrow) NetContext; }

void free_NetContext(Schema* schema, NetContext* context) {
    if (!context) return;
    free_Sheet(schema, context->loaded_sheet, false);
    if (context->loaded_ports) dlist_free(context->loaded_ports, LIST_FROM_HEAD, free_port_cb);
    if (context->islands) dlist_free(context->islands, LIST_FROM_HEAD, free_head_cb);
    if (context->subsheet_islands) dlist_free(context->subsheet_islands, LIST_FROM_HEAD, nullptr);
    if (context->merge_set) dlist_free(context->merge_set, LIST_FROM_HEAD, nullptr);
    if (context->merged_heads) dlist_free(context->merged_heads, LIST_FROM_HEAD, free_head_cb);
    delete context;
}

void set_net_warning_hook(NetWarningHook hook) { job_hooks.warning_hook = hook; }
NetWarningHook net_warning_hook() { return job_hooks.warning_hook; }

void net_warning(const char* text) {
    if (job_hooks.warning_hook && text) job_hooks.warning_hook("%s", text);
}

void net_warningf(const char* format, ...) {
    if (!job_hooks.warning_hook) return;
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    job_hooks.warning_hook("%s", text.c_str());
}

void net_debug(const char* format, ...) {
    if (!debug_enabled) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    services().debug_write(text);
}

void set_erc_report_name(const char* name) { job_hooks.report_name = name ? name : ""; }
const char* erc_report_name() { return job_hooks.report_name.c_str(); }

bool net_editor_mode() { return job_hooks.editor_mode; }
void set_net_editor_mode(bool on) { job_hooks.editor_mode = on; }
