#include "toolkit/file_selectors.h"

#include <algorithm>

#include "foundation/services.h"
#include "toolkit/asking.h"

std::string filesel_filter_text(int count, const char* const* wildcards, const char* const* names) {
    if (count < 1 || !wildcards) return "All files (*)|*";
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string wildcard = wildcards[i] && *wildcards[i] ? wildcards[i] : "*";
        const char* name = names ? names[i] : nullptr;
        if (!text.empty()) text += '|';
        text += name && *name ? std::string(name) + " (" + wildcard + ")" : wildcard;
        text += '|';
        text += wildcard;
    }
    return text;
}

const char* filesel_multi(const char* message, const char* directory, const char* default_name,
                          const char* default_extension, int* filter, const char* const* wildcards,
                          const char* const* names, const char* const* directories, int flags,
                          wxWindow* parent, int x, int y, int default_index) {
    static std::string chosen;
    FileRequest request;
    request.message = message ? message : "";
    request.directory = directory ? directory : "";
    request.default_name = default_name ? default_name : "";
    request.default_extension = default_extension ? default_extension : "";
    const int count = filter && wildcards ? *filter : 0;
    for (int i = 0; i < count; ++i)
        request.filters.push_back({names && names[i] ? names[i] : "",
                                   wildcards[i] ? wildcards[i] : "",
                                   directories && directories[i] ? directories[i] : ""});
    request.filter_index = default_index;
    request.flags = flags;
    request.parent = parent;
    request.x = x;
    request.y = y;
    FileAnswer answer;
    if (!ask_file(request, &answer)) return nullptr;
    chosen = answer.path;
    if (filter) *filter = answer.filter_index;
    return chosen.c_str();
}
